#pragma once
// The state behind the record layer's opaque handles, shared by the files that
// implement reading and writing.

#include "archive/zip_records.h"
#include "archive/zip_stream.h"

#include <zlib.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zipformat {

// The fields of one central directory header and its name.
struct CentralHeader {
    unz_file_info info{};
    uint32_t localHeaderOffset = 0;  // relative to the start of the archive
    std::string name;
};

// An entry open for reading.
struct ReadEntry {
    ReadEntry() = default;
    ReadEntry(const ReadEntry&) = delete;
    ReadEntry& operator=(const ReadEntry&) = delete;
    ~ReadEntry() {
        if (inflating) inflateEnd(&stream);
    }

    std::vector<uint8_t> input;     // compressed bytes read from the file
    uint32_t inputNext = 0;         // first unused byte of input
    uint32_t inputAvailable = 0;    // unused bytes of input
    std::vector<uint8_t> output;    // inflated bytes not yet delivered (deflated entries)
    uint32_t outputNext = 0;
    uint32_t outputAvailable = 0;
    z_stream stream{};
    bool inflating = false;         // stream was initialised
    bool streamEnded = false;       // zlib reported the end of the deflate stream
    uint32_t method = 0;
    uint64_t dataPosition = 0;      // file position of the next compressed byte
    uint32_t compressedLeft = 0;
    uint32_t uncompressedLeft = 0;  // not yet delivered
    uint32_t crc = 0;               // running CRC-32 of the bytes inflated or copied
    uint32_t expectedCrc = 0;
};

// An entry being written.
struct WriteEntry {
    WriteEntry() = default;
    WriteEntry(const WriteEntry&) = delete;
    WriteEntry& operator=(const WriteEntry&) = delete;
    ~WriteEntry() {
        if (deflating) deflateEnd(&stream);
    }

    std::string centralHeader;      // 46 bytes, name, extra field, comment
    uint64_t localHeaderPosition = 0;  // file position
    int method = 0;
    int level = 0;
    std::vector<uint8_t> output;    // bytes waiting to be written
    uint32_t outputUsed = 0;
    z_stream stream{};
    bool deflating = false;
    uint32_t crc = 0;
    uint64_t uncompressedSize = 0;
    uint64_t compressedSize = 0;
};

}  // namespace zipformat

struct unz_archive {
    unz_archive(const zlib_filefunc_def& functions, void* stream) : file(functions, stream) {}

    zipformat::ZipStream file;
    uint64_t entryCount = 0;          // from the end record; 0xFFFF walks to the end
    uint64_t centralOffset = 0;       // relative to the start of the archive
    uint64_t centralSize = 0;
    uint64_t endRecordPosition = 0;   // file position
    uint64_t bytesBefore = 0;         // bytes that precede the archive in the file

    // The current entry.
    uint64_t currentPosition = 0;     // of its central header, relative to the archive
    uint64_t currentNumber = 0;
    bool currentValid = false;
    zipformat::CentralHeader current;

    std::unique_ptr<zipformat::ReadEntry> entry;  // the open entry, if any
};

struct zip_archive {
    zip_archive(const zlib_filefunc_def& functions, void* stream) : file(functions, stream) {}

    zipformat::ZipStream file;
    uint64_t beginPosition = 0;       // file position where the archive starts
    uint64_t writePosition = 0;       // file position of the end of what was written
    std::string centralDirectory;     // headers of the finished entries
    uint64_t entryCount = 0;
    std::unique_ptr<zipformat::WriteEntry> entry;  // the open entry, if any
};
