#pragma once
// One open file of the record layer, reached through its file-function table.
// Remembers the file position so sequential reads and writes do not seek.

#include "archive/zip_records.h"

#include <cstdint>

namespace zipformat {

class ZipStream {
public:
    ZipStream(const zlib_filefunc_def& functions, void* stream)
        : functions_(functions), stream_(stream) {}
    ZipStream(const ZipStream&) = delete;
    ZipStream& operator=(const ZipStream&) = delete;
    // Closes the file if Close was not called.
    ~ZipStream() { Close(); }

    // Reads exactly size bytes at file position; false on a failed seek or a
    // short read.
    bool ReadAt(uint64_t position, void* buffer, uint32_t size);
    // Writes all size bytes at the current position; false on a short write.
    bool Write(const void* buffer, size_t size);
    // Moves to an absolute position; false when refused.
    bool SeekTo(uint64_t position);
    // Size of the file (moves to its end); false when it cannot be taken.
    bool Size(uint64_t* size);
    // Current position; false when it cannot be taken.
    bool Tell(uint64_t* position);
    // Closes the file once; 0, or the close or error slot's failure as -1.
    int Close();

private:
    static constexpr uint64_t kUnknown = ~uint64_t(0);

    zlib_filefunc_def functions_;
    void* stream_;
    uint64_t position_ = kUnknown;  // where the next read or write happens
};

// Record signatures: "PK" or "KR" followed by the record's two kind bytes.
constexpr uint8_t kLocalHeaderKind[2] = {3, 4};
constexpr uint8_t kCentralHeaderKind[2] = {1, 2};
constexpr uint8_t kEndRecordKind[2] = {5, 6};

// True when the 4 bytes at p are a signature of the given kind in either form.
inline bool IsSignature(const uint8_t* p, const uint8_t kind[2]) {
    bool standard = p[0] == 'P' && p[1] == 'K';
    bool alternative = p[0] == 'K' && p[1] == 'R';
    return (standard || alternative) && p[2] == kind[0] && p[3] == kind[1];
}

// The signature of a kind as a little-endian 32-bit value, in the chosen form.
inline uint32_t SignatureValue(const uint8_t kind[2], bool alternative) {
    uint32_t first = alternative ? 'K' : 'P';
    uint32_t second = alternative ? 'R' : 'K';
    return first | (second << 8) | (uint32_t(kind[0]) << 16) | (uint32_t(kind[1]) << 24);
}

// Fixed sizes of the records.
constexpr uint32_t kLocalHeaderSize = 30;
constexpr uint32_t kCentralHeaderSize = 46;
constexpr uint32_t kEndRecordSize = 22;

// Size of the buffers between the file and zlib.
constexpr uint32_t kIoBufferSize = 16384;
// Size of the block a deflated entry is inflated into ahead of small reads; at
// least zlib's 32 KiB window, so zlib keeps its window without copying each block.
constexpr uint32_t kInflateBufferSize = 65536;

// Resolves a null table to the default one.
zlib_filefunc_def ResolveFileFunctions(const zlib_filefunc_def* functions);

}  // namespace zipformat
