#pragma once
// Low-level binary files by narrow path. The path is read in the ANSI code
// page (as the system's narrow-path calls read it). No text translation takes
// place: callers that want text modes emulate them over these bytes.

#include <cstddef>
#include <cstdint>

namespace platform {

using RawFile = intptr_t;
constexpr RawFile kInvalidRawFile = -1;

// Opens an existing file for reading; others may read and write it meanwhile.
// kInvalidRawFile for a null or empty path, a missing file or a directory.
RawFile OpenRawForRead(const char* ansiPath);

// Opens a file for reading and writing, creating it (readable and writable)
// when it is missing; an existing file keeps its content. Others may read and
// write it meanwhile. kInvalidRawFile for a null or empty path, a directory,
// or a file that cannot be opened or created.
RawFile OpenRawForUpdate(const char* ansiPath);

// Reads up to size bytes at the file position. Returns the count read, 0 at
// the end of the file, -1 on an error (or an invalid handle).
int32_t ReadRaw(RawFile file, void* buffer, uint32_t size);

// Writes all size bytes at the file position, retrying short writes. False
// when any byte could not be written; bytes written before that stay.
bool WriteRaw(RawFile file, const void* buffer, size_t size);

// Sets the length of a regular file (shortens or extends it; the position is
// unchanged). Files without a length (devices, pipes) succeed unchanged.
bool TruncateRaw(RawFile file, uint64_t length);

// True when both handles are open on the same file.
bool IsSameRawFile(RawFile a, RawFile b);

// Closes a handle; false when closing reported an error (for a written file:
// data may not have reached it). kInvalidRawFile is ignored (true).
bool CloseRaw(RawFile file);

}  // namespace platform
