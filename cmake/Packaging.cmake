# Installation: the shared library with its versioned SONAME, the sibling
# module, the public headers under include/quenzil/<module>/, the command-line
# tool, a CMake package (find_package(Quenzil) -> Quenzil::quenzil) and a
# pkg-config file (quenzil.pc).
include(CMakePackageConfigHelpers)

# The headers a consumer of the shared library includes, and every header they
# include in turn. They include each other as "module/name.h", so the include
# directory consumers get is include/quenzil.
set(QUENZIL_PUBLIC_HEADERS
    archive/blob_file_info.h
    archive/blob_read.h
    archive/compression_level.h
    archive/zip_archive.h
    crypt/encryption_level.h
    errors/sax_error.h
    errors/zip_archive_error.h
    exports/convert_to_unicode.h
    exports/file_version.h
    exports/kor_library_version.h
    exports/library_identity.h
    platform/api.h
    platform/file_io.h
    reader/sax_persist.h
    reader/sax_reader.h
    xml/tag_stack.h
    xml/xml_expat.h)
foreach(header ${QUENZIL_PUBLIC_HEADERS})
    get_filename_component(module ${header} DIRECTORY)
    install(FILES ${PROJECT_SOURCE_DIR}/${header}
            DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/quenzil/${module} COMPONENT Development)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/sibling/korsax_info.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/quenzil/sibling COMPONENT Development)

# The library finds its sibling next to itself wherever the tree is installed.
if(NOT WIN32)
    set_target_properties(quenzil PROPERTIES INSTALL_RPATH "$ORIGIN")
endif()
install(TARGETS quenzil korsax EXPORT QuenzilTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT Runtime NAMELINK_COMPONENT Development
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT Development
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT Runtime)

set(QUENZIL_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Quenzil)
install(EXPORT QuenzilTargets NAMESPACE Quenzil:: FILE QuenzilTargets.cmake
        DESTINATION ${QUENZIL_CMAKE_DIR} COMPONENT Development)
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/QuenzilConfig.cmake.in
    ${PROJECT_BINARY_DIR}/QuenzilConfig.cmake INSTALL_DESTINATION ${QUENZIL_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/QuenzilConfigVersion.cmake
    COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/QuenzilConfig.cmake ${PROJECT_BINARY_DIR}/QuenzilConfigVersion.cmake
        DESTINATION ${QUENZIL_CMAKE_DIR} COMPONENT Development)

# pkg-config: paths relative to the file's own place, so an installed tree can
# be moved (and installed with --prefix) and still be found.
set(QUENZIL_PC_DIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
file(RELATIVE_PATH QUENZIL_PC_TO_PREFIX /prefix/${QUENZIL_PC_DIR} /prefix)
string(REGEX REPLACE "/$" "" QUENZIL_PC_TO_PREFIX "${QUENZIL_PC_TO_PREFIX}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/quenzil.pc.in ${PROJECT_BINARY_DIR}/quenzil.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/quenzil.pc DESTINATION ${QUENZIL_PC_DIR} COMPONENT Development)
