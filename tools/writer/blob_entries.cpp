#include "tools/writer/blob_entries.h"

#include "archive/blob_file_info.h"

#include <algorithm>
#include <limits>
#include <stdexcept>
#include <utility>

namespace qwriter {

namespace {

constexpr int64_t kMaxEntrySize = std::numeric_limits<int32_t>::max();

// Writes one value through the blob entry in pieces; throws when the entry
// refuses bytes (it refuses only what would overflow its 32-bit positions).
void WriteValue(MSAXBlobFileInfo& blob, const std::string& value, int32_t chunkSize) {
    if (value.size() > static_cast<size_t>(kMaxEntrySize))
        throw std::length_error("blob value larger than 2^31-1 bytes");
    const size_t piece = chunkSize > 0 ? static_cast<size_t>(chunkSize) : std::max<size_t>(value.size(), 1);
    for (size_t done = 0; done < value.size(); done += piece) {
        const auto length = static_cast<int32_t>(std::min(piece, value.size() - done));
        if (blob.WriteBuffer(value.data() + done, length) != length)
            throw std::length_error("blob entry larger than 2^31-1 bytes: " + blob.GetFileName());
    }
}

}  // namespace

std::string BlobValueText(const BlobPlacement& placement) {
    return std::to_string(placement.offset) + " " + std::to_string(placement.size) + " " + placement.entry;
}

std::vector<BlobPlacement> LayoutBlobEntries(const std::vector<BlobEntry>& entries) {
    std::vector<BlobPlacement> placements;
    for (const BlobEntry& entry : entries) {
        int64_t offset = 0;
        for (const std::string& value : entry.values) {
            if (offset + static_cast<int64_t>(value.size()) > kMaxEntrySize)
                throw std::length_error("blob entry larger than 2^31-1 bytes: " + entry.name);
            placements.push_back({entry.name, static_cast<int32_t>(offset), static_cast<int32_t>(value.size())});
            offset += static_cast<int64_t>(value.size());
        }
    }
    return placements;
}

std::vector<BlobPlacement> WriteBlobEntries(MZipArchive& archive, const std::vector<BlobEntry>& entries,
                                            int32_t chunkSize) {
    std::vector<BlobPlacement> placements;
    for (const BlobEntry& entry : entries) {
        MSAXBlobFileInfo blob(&archive, entry.name, entry.level);
        for (const std::string& value : entry.values) {
            blob.Initialise();
            WriteValue(blob, value, chunkSize);
            placements.push_back({entry.name, blob.GetBlobOffset(), blob.GetBlobSize()});
        }
        blob.Finish();  // a write failure surfaces here rather than in the destructor
    }
    return placements;
}

std::function<void(MZipArchive&)> BlobEntriesWriter(std::vector<BlobEntry> entries,
                                                    std::vector<BlobPlacement>* placements,
                                                    int32_t chunkSize) {
    return [entries = std::move(entries), placements, chunkSize](MZipArchive& archive) {
        std::vector<BlobPlacement> written = WriteBlobEntries(archive, entries, chunkSize);
        if (placements != nullptr) *placements = std::move(written);
    };
}

}  // namespace qwriter
