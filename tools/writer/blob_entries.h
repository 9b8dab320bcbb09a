#pragma once
// Writing blob entries into a project file's container: each entry holds
// several blob values back to back, stored or deflated, and the writer reports
// where each value lies so that a document can refer to it by "offset size name".

#include "archive/compression_level.h"
#include "archive/zip_archive.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qwriter {

// One entry and the blob values it holds, in order.
struct BlobEntry {
    std::string name;
    ESAXCompressionLevel level = eSAXCompressionNone;
    std::vector<std::string> values;
};

// Where one blob value lies.
struct BlobPlacement {
    std::string entry;
    int32_t offset = 0;
    int32_t size = 0;
};

// Same entry, offset and size.
inline bool operator==(const BlobPlacement& a, const BlobPlacement& b) {
    return a.entry == b.entry && a.offset == b.offset && a.size == b.size;
}

// The text an element carries to refer to the blob: "offset size entry".
std::string BlobValueText(const BlobPlacement& placement);

// Where the values of entries will lie once written, in entry then value
// order, computed without writing. Throws std::length_error when an entry
// would exceed 2^31-1 bytes.
std::vector<BlobPlacement> LayoutBlobEntries(const std::vector<BlobEntry>& entries);

// Writes the entries into archive (open for writing) through MSAXBlobFileInfo,
// handing each value over in pieces of chunkSize bytes (0: whole values), and
// returns the placements the blob entries reported, in LayoutBlobEntries
// order. Throws MZipArchiveError::MFileNotCreated / MInflate from the
// container, std::length_error when an entry would exceed 2^31-1 bytes.
std::vector<BlobPlacement> WriteBlobEntries(MZipArchive& archive, const std::vector<BlobEntry>& entries,
                                            int32_t chunkSize = 0);

// A hook for the project writer's writeMore option that writes the entries
// and, when placements is not null, stores what WriteBlobEntries returned.
std::function<void(MZipArchive&)> BlobEntriesWriter(std::vector<BlobEntry> entries,
                                                    std::vector<BlobPlacement>* placements = nullptr,
                                                    int32_t chunkSize = 0);

}  // namespace qwriter
