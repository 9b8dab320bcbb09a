#pragma once
// Files by UTF-16 path: a read-only handle with read sharing (for streaming an
// XML file), deletion, and stdio streams for the zip record layer.

#include <cstdint>
#include <cstdio>
#include <string>

namespace platform {

using FileHandle = intptr_t;
constexpr FileHandle kInvalidFileHandle = -1;

// Opens an existing file for reading; others may read it meanwhile.
// Returns kInvalidFileHandle when it does not exist or cannot be read.
FileHandle OpenExistingForRead(const std::u16string& path);

// Reads up to size bytes; *got is the count delivered (0 at the end or on an
// error). Returns false on an error, true otherwise.
bool ReadFromFile(FileHandle file, void* buffer, uint32_t size, uint32_t* got);

// Closes a handle; kInvalidFileHandle is ignored.
void CloseFile(FileHandle file);

// Deletes a file; false when it could not be deleted (or did not exist).
bool DeleteFileAt(const std::u16string& path);

// fopen by UTF-16 path with a stdio mode ("rb", "r+b", "wb"); null on failure
// or for an empty path.
std::FILE* OpenStream(const std::u16string& path, const char* mode);

}  // namespace platform
