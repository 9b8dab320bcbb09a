#pragma once
// Search for the end-of-central-directory record.

#include "archive/zip_stream.h"

#include <cstdint>

namespace zipformat {

// Scans the last 0xFFFF bytes of the file (all of a smaller one) backwards in
// overlapping 1028-byte windows for an end-record signature in either form; the
// match nearest the end wins. A match at file offset 0 counts as none, so a file
// holding nothing but an end record is not an archive. False when not found or
// a read fails.
bool FindEndRecord(ZipStream& file, uint64_t fileSize, uint64_t* position);

}  // namespace zipformat
