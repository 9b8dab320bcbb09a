# zlib for raw deflate streams and CRC-32; Expat in its UTF-16 build (libexpatw),
# where XML_Char is a 16-bit unit.
if(WIN32)
    # The Windows cross build finds its own (cmake/WindowsDependencies.cmake).
    include(${CMAKE_CURRENT_LIST_DIR}/WindowsDependencies.cmake)
    return()
endif()
find_package(ZLIB REQUIRED)

find_path(EXPATW_INCLUDE_DIR expat.h REQUIRED)
find_library(EXPATW_LIBRARY NAMES expatw REQUIRED)
if(NOT TARGET Quenzil::ExpatW)
    add_library(Quenzil::ExpatW UNKNOWN IMPORTED)
    set_target_properties(Quenzil::ExpatW PROPERTIES
        IMPORTED_LOCATION "${EXPATW_LIBRARY}"
        INTERFACE_INCLUDE_DIRECTORIES "${EXPATW_INCLUDE_DIR}"
        INTERFACE_COMPILE_DEFINITIONS "XML_UNICODE")
endif()
