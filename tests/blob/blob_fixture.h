#pragma once
// Containers with known entry bytes for the blob tests, written and read back
// through MZipArchive directly so that the blob classes are not their own judge.

#include "archive/blob_file_info.h"
#include "archive/compression_level.h"

#include <cstdint>
#include <string>
#include <vector>

namespace blobtest {

// size bytes in which every position differs from its neighbours and from the
// same position in a buffer-sized shift, so a misplaced window shows.
std::string Pattern(size_t size, unsigned seed = 0);

struct FixtureEntry {
    std::string name;
    ESAXCompressionLevel level;
    std::string bytes;
};

// Creates a container at path holding the entries.
void WriteContainer(const std::u16string& path, const std::vector<FixtureEntry>& entries);
// The whole uncompressed content of an entry.
std::string ReadEntry(const std::u16string& path, const std::string& name);
// Entries opened for reading so far, process-wide.
uint64_t EntryOpens();
// Reads through blob in steps of step bytes until a read returns 0 or limit
// bytes have come.
std::string ReadUntilEmpty(MSAXBlobFileInfo& blob, int32_t step, size_t limit = 1u << 22);

}  // namespace blobtest
