#pragma once
// The entries of a project file's zip container as the record layer sees them,
// for `quenzil info`.

#include <cstdint>
#include <string>
#include <vector>

namespace qcli {

struct EntryListing {
    std::string name;            // narrow entry name, as stored
    uint32_t method = 0;         // 0 stored, 8 deflated
    uint32_t compressedSize = 0;
    uint32_t size = 0;           // uncompressed
    uint32_t crc = 0;
    bool centralAlternative = false;  // "KR" central header
    bool localAlternative = false;    // "KR" local header
};

struct ContainerListing {
    std::vector<EntryListing> entries;  // in directory order
    bool endAlternative = false;        // "KR" end record
};

// Walks the container at path. Throws MSAXError::MFileOpenRead (path) when it
// is not a readable zip container, and InputError when its directory breaks
// off part way.
ContainerListing ListContainer(const std::u16string& path);

// "stored", "deflated" or "method N".
std::string MethodName(uint32_t method);

// "PK" or "KR".
const char* SignatureName(bool alternative);

}  // namespace qcli
