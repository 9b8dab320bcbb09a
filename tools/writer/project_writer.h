#pragma once
// Writes project files: a zip container holding "header.xml" (plain or
// enciphered as a whole), an optional encryption descriptor "blob_0000" and
// any further entries. Used by tests, benchmarks, samples and `quenzil pack`.

#include "archive/compression_level.h"
#include "archive/zip_archive.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qwriter {

// The fixed key of level-2 files.
constexpr uint32_t kFixedKey = 0x5A3C17E3;

// One more entry with its bytes.
struct ExtraEntry {
    std::string name;
    std::string bytes;
    ESAXCompressionLevel level = eSAXCompressionDefault;
};

struct ProjectFileOptions {
    // Encryption level written to "blob_0000": 0 plain (no descriptor unless
    // asked for), 1 enciphered with key, 2 with the fixed key. Other values
    // are written to the descriptor as they are, with a plain header.
    int level = 0;
    uint32_t key = 0;                              // level-1 key
    bool writeDescriptor = false;                  // write "blob_0000" even for level 0
    std::optional<std::string> descriptorBytes;    // raw "blob_0000" content, written as given
    bool alternativeSignatures = false;            // "KR" records throughout
    ESAXCompressionLevel headerLevel = eSAXCompressionDefault;
    std::vector<ExtraEntry> extraEntries;          // written after "header.xml"
    std::function<void(MZipArchive&)> writeMore;   // writes more entries last
};

// The 8 descriptor bytes for a level: the level and the key, little-endian
// (the fixed key for level 2).
std::string DescriptorBytes(int level, uint32_t key);

// Writes a project file at path: "blob_0000" (when the level is not 0, when
// writeDescriptor is set or descriptorBytes is given), then "header.xml",
// enciphered for levels 1 and 2 in 4096-byte chunks so that it deciphers chunk
// by chunk, then the extra entries, then writeMore. The header is streamed in
// large pieces. Throws std::runtime_error when the file cannot be created or
// finished, and the container's exceptions when an entry is refused.
void WriteProjectFile(const std::u16string& path, std::string_view headerXml,
                      const ProjectFileOptions& options = {});

}  // namespace qwriter
