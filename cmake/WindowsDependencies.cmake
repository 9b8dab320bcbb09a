# Dependencies of the 32-bit Windows cross build (cmake/mingw-i686.cmake):
# zlib from the mingw sysroot, a static wchar_t Expat that scripts/windows/setup
# builds into its cache, and GoogleTest compiled from Debian's sources, since no
# prebuilt Windows GoogleTest exists.
find_package(ZLIB REQUIRED)

set(QUENZIL_EXPAT_PREFIX "$ENV{HOME}/.cache/quenzil/win32/expat" CACHE PATH
    "Install prefix of the cross-built static wchar_t Expat")
find_package(expat 2.5 CONFIG REQUIRED
    PATHS ${QUENZIL_EXPAT_PREFIX} NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT TARGET Quenzil::ExpatW)
    add_library(Quenzil::ExpatW INTERFACE IMPORTED)
    # With XML_UNICODE_WCHAR_T, XML_Char is Windows' 16-bit wchar_t.
    target_compile_definitions(Quenzil::ExpatW INTERFACE
        XML_UNICODE XML_UNICODE_WCHAR_T XML_STATIC)
    target_link_libraries(Quenzil::ExpatW INTERFACE expat::expat)
    # Also on this target itself, for users that need the headers only.
    get_target_property(QUENZIL_EXPAT_INCLUDES expat::expat INTERFACE_INCLUDE_DIRECTORIES)
    target_include_directories(Quenzil::ExpatW INTERFACE ${QUENZIL_EXPAT_INCLUDES})
endif()

# The GCC runtime stays a DLL (libgcc_s_dw2-1.dll, libstdc++-6.dll): with a
# static libgcc each module has its own unwinder, and an exception thrown in
# the library's DLL could not be caught by the program that loaded it.
add_link_options(-shared-libgcc)

if(QUENZIL_BUILD_TESTS AND NOT TARGET GTest::gtest)
    set(QUENZIL_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
    add_subdirectory(${QUENZIL_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()

# Programs built here run under Wine, through a wrapper that sets up a 32-bit
# prefix and the DLL search path and fails runs that did not really happen.
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
    set(CMAKE_CROSSCOMPILING_EMULATOR
        ${PROJECT_SOURCE_DIR}/scripts/windows/wine-run ${CMAKE_BINARY_DIR})
endif()
