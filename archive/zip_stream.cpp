#include "archive/zip_stream.h"

#include <algorithm>
#include <limits>

namespace zipformat {

bool ZipStream::ReadAt(uint64_t position, void* buffer, uint32_t size) {
    if (position != position_ && !SeekTo(position)) return false;
    uint32_t got = functions_.zread_file(functions_.opaque, stream_, buffer, size);
    if (got != size) {
        position_ = kUnknown;
        return false;
    }
    position_ += size;
    return true;
}

bool ZipStream::Write(const void* buffer, size_t size) {
    auto* bytes = static_cast<const uint8_t*>(buffer);
    while (size > 0) {
        uint32_t piece = uint32_t(std::min<size_t>(size, 1u << 30));
        uint32_t put = functions_.zwrite_file(functions_.opaque, stream_, bytes, piece);
        if (put != piece) {
            position_ = kUnknown;
            return false;
        }
        if (position_ != kUnknown) position_ += piece;
        bytes += piece;
        size -= piece;
    }
    return true;
}

bool ZipStream::SeekTo(uint64_t position) {
    if (position > uint64_t(std::numeric_limits<int64_t>::max())) return false;
    if (functions_.zseek_file(functions_.opaque, stream_, int64_t(position),
                              ZLIB_FILEFUNC_SEEK_SET) != 0) {
        position_ = kUnknown;
        return false;
    }
    position_ = position;
    return true;
}

bool ZipStream::Size(uint64_t* size) {
    position_ = kUnknown;
    if (functions_.zseek_file(functions_.opaque, stream_, 0, ZLIB_FILEFUNC_SEEK_END) != 0)
        return false;
    return Tell(size);
}

bool ZipStream::Tell(uint64_t* position) {
    int64_t at = functions_.ztell_file(functions_.opaque, stream_);
    if (at < 0) {
        position_ = kUnknown;
        return false;
    }
    position_ = uint64_t(at);
    *position = position_;
    return true;
}

int ZipStream::Close() {
    if (stream_ == nullptr) return 0;
    bool failed = functions_.zerror_file(functions_.opaque, stream_) != 0;
    failed |= functions_.zclose_file(functions_.opaque, stream_) != 0;
    stream_ = nullptr;
    return failed ? UNZ_ERRNO : UNZ_OK;
}

zlib_filefunc_def ResolveFileFunctions(const zlib_filefunc_def* functions) {
    if (functions != nullptr) return *functions;
    zlib_filefunc_def table;
    fill_default_filefunc(&table);
    return table;
}

}  // namespace zipformat
