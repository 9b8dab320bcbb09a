#pragma once
// Shared pieces of the hostile-input suite: a parse that reports how it ended
// as a short name, a handler that walks every element and reads every blob
// value it is offered, the peak memory of the process, and deflate streams of
// huge repetitive content built without holding that content.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace hostile {

// What one blob element gave: ReadValue's answer and the bytes read.
struct BlobRead {
    std::u16string element;
    bool value = false;
    std::string bytes;
};

struct ParseResult {
    // "completed", or the error's type: "MFileOpenRead", "MNotAKorProjectFile",
    // "MParse", "MDeflate", "MDecryptUnknownLevel", "MStopParsing",
    // "zip MFileNotFound", "zip MDeflate"; "MSAXError <code>" for any other.
    std::string outcome;
    size_t elements = 0;
    std::vector<BlobRead> blobs;
    // Text of the elements whose name starts with "text", in document order.
    std::vector<std::u16string> texts;
};

// Parses the project file at path with a handler that takes every element
// (pushing itself for the children), keeps the text of elements whose name
// starts with "text" and, for elements whose name starts with "blob", reads
// the blob value through its context up to maxBlobBytes.
// Anything that is not an error type of the library escapes.
ParseResult ParseProject(const std::u16string& path, size_t maxBlobBytes = size_t(1) << 20);

// The same bytes written to a file first.
ParseResult ParseProjectBytes(const std::string& bytes, size_t maxBlobBytes = size_t(1) << 20);

// The project file the writer makes for a document: level 0 unless given,
// header deflated, plus extra entries (name, bytes, stored).
struct Extra {
    std::string name;
    std::string bytes;
};
std::string WriteProject(std::string_view document, int level = 0, const std::vector<Extra>& extras = {},
                         bool deflateHeader = true);

// Peak resident memory of this process so far, in bytes.
size_t PeakRssBytes();

// A raw deflate stream of prefix, then repeat copies of block, then suffix,
// built from one compressed copy of block (each piece ends in a full flush,
// so copies can follow one another). crc and size describe the inflated bytes.
struct Bomb {
    std::string stream;
    uint32_t crc = 0;
    uint64_t size = 0;
};
Bomb DeflateRepeated(std::string_view prefix, std::string_view block, size_t repeat, std::string_view suffix);

// A zip container with one deflated entry per bomb given, whose directory
// declares the bomb's size and CRC (local headers defer to it, flag bit 3),
// followed by stored entries.
struct BombEntry {
    std::string name;
    const Bomb* bomb;
};
std::string ZipWithBombs(const std::vector<BombEntry>& bombs, const std::vector<Extra>& stored = {});

// Blob data with every byte predictable from its position.
std::string Pattern(size_t size);

}  // namespace hostile
