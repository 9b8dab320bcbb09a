# The zip record layer over zlib and the container class on top of it.
target_sources(quenzil_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/zip_stream.cpp
    ${CMAKE_CURRENT_LIST_DIR}/zip_crc32.cpp
    ${CMAKE_CURRENT_LIST_DIR}/zip_file_functions.cpp
    ${CMAKE_CURRENT_LIST_DIR}/zip_end_record.cpp
    ${CMAKE_CURRENT_LIST_DIR}/zip_dos_date.cpp
    ${CMAKE_CURRENT_LIST_DIR}/zip_read_directory.cpp
    ${CMAKE_CURRENT_LIST_DIR}/zip_read_entry.cpp
    ${CMAKE_CURRENT_LIST_DIR}/zip_signature_forms.cpp
    ${CMAKE_CURRENT_LIST_DIR}/zip_write.cpp
    ${CMAKE_CURRENT_LIST_DIR}/zip_stats.cpp
    ${CMAKE_CURRENT_LIST_DIR}/zip_archive.cpp)
