# Blob entries, blob readers, the blob store and blob values.
target_sources(quenzil_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/blob_file_info.cpp
    ${CMAKE_CURRENT_LIST_DIR}/blob_read.cpp
    ${CMAKE_CURRENT_LIST_DIR}/blob_archive.cpp
    ${CMAKE_CURRENT_LIST_DIR}/blob_value.cpp)
