# Blob entries, blob readers, the blob store and blob values.
target_sources(quenzil_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/blob_read.cpp
    ${CMAKE_CURRENT_LIST_DIR}/blob_value.cpp)
# The entries and the store sit on the zip container.
if(EXISTS ${CMAKE_CURRENT_LIST_DIR}/zip_archive.cpp)
    target_sources(quenzil_core PRIVATE
        ${CMAKE_CURRENT_LIST_DIR}/blob_file_info.cpp
        ${CMAKE_CURRENT_LIST_DIR}/blob_archive.cpp)
endif()
