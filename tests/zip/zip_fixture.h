#pragma once
// Zip archives assembled byte by byte, so tests can state exactly which field
// of which record is wrong, independently of the writer under test.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ziptest {

struct RawEntry {
    RawEntry(std::string name, std::string data) : name(std::move(name)), data(std::move(data)) {}

    std::string name;
    std::string data;              // uncompressed content
    uint16_t method = 0;           // 8 deflates data; any other value stores it as it is
    uint16_t flag = 0;             // general purpose flag, both headers
    bool alternativeLocal = false; // "KR" local header signature
    bool alternativeCentral = false;
    std::string localExtra;
    std::string centralExtra;
    std::string comment;
    // Overrides of what the headers say, for inconsistent archives.
    std::optional<uint16_t> localMethod;
    std::optional<uint32_t> crc;               // both headers
    std::optional<uint32_t> localCrc;
    std::optional<uint32_t> localCompressedSize;
    std::optional<uint32_t> centralUncompressedSize;
    std::optional<std::string> localName;
    std::optional<std::string> compressed;     // raw entry data instead of data's encoding
};

struct RawArchive {
    RawArchive(std::vector<RawEntry> entries = {}) : entries(std::move(entries)) {}

    std::vector<RawEntry> entries;
    std::string prefix;                // bytes before the archive
    std::string comment;               // archive comment after the end record
    bool alternativeEnd = false;
    std::optional<uint16_t> thisDisk;
    std::optional<uint16_t> directoryDisk;
    std::optional<uint16_t> entriesOnDisk;
    std::optional<uint16_t> entriesTotal;
    std::optional<uint32_t> directoryOffset;
    std::optional<uint32_t> directorySize;
    std::optional<uint16_t> commentLength;
};

// The archive's bytes.
std::string BuildZip(const RawArchive& archive);
// A raw deflate stream of data.
std::string DeflateRaw(std::string_view data, int level = 6);
// A raw inflate of a deflate stream; empty on failure.
std::string InflateRaw(std::string_view stream);
// CRC-32 of data.
uint32_t Crc32(std::string_view data);
// Little-endian fields read from a byte string.
uint16_t U16At(const std::string& bytes, size_t offset);
uint32_t U32At(const std::string& bytes, size_t offset);
// Text of n bytes that compresses, with every position's byte predictable.
std::string SampleText(size_t n, unsigned seed = 0);

}  // namespace ziptest
