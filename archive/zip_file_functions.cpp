// The default file functions: stdio streams opened by UTF-16 path through the
// platform layer. Positions are longs, 64-bit on the LP64 systems we build for;
// an offset that does not fit is refused.

#include "archive/zip_records.h"

#include "platform/file_io.h"

#include <climits>
#include <cstdio>

namespace {

void* OpenDefault(void*, const char16_t* path, int mode) {
    if (path == nullptr) return nullptr;
    const char* stdioMode = nullptr;
    if ((mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) == ZLIB_FILEFUNC_MODE_READ)
        stdioMode = "rb";
    else if (mode & ZLIB_FILEFUNC_MODE_EXISTING)
        stdioMode = "r+b";
    else if (mode & ZLIB_FILEFUNC_MODE_CREATE)
        stdioMode = "wb";
    if (stdioMode == nullptr) return nullptr;
    return platform::OpenStream(std::u16string(path), stdioMode);
}

uint32_t ReadDefault(void*, void* stream, void* buffer, uint32_t size) {
    return uint32_t(std::fread(buffer, 1, size, static_cast<std::FILE*>(stream)));
}

uint32_t WriteDefault(void*, void* stream, const void* buffer, uint32_t size) {
    return uint32_t(std::fwrite(buffer, 1, size, static_cast<std::FILE*>(stream)));
}

int64_t TellDefault(void*, void* stream) {
    return int64_t(std::ftell(static_cast<std::FILE*>(stream)));
}

int64_t SeekDefault(void*, void* stream, int64_t offset, int origin) {
    int whence;
    switch (origin) {
    case ZLIB_FILEFUNC_SEEK_SET: whence = SEEK_SET; break;
    case ZLIB_FILEFUNC_SEEK_CUR: whence = SEEK_CUR; break;
    case ZLIB_FILEFUNC_SEEK_END: whence = SEEK_END; break;
    default: return -1;
    }
    // A refused seek is reported: reading on from the old position would
    // deliver the wrong bytes without notice.
    if (offset > LONG_MAX || offset < LONG_MIN) return -1;
    return std::fseek(static_cast<std::FILE*>(stream), long(offset), whence) == 0 ? 0 : -1;
}

int CloseDefault(void*, void* stream) {
    return std::fclose(static_cast<std::FILE*>(stream));
}

int ErrorDefault(void*, void* stream) {
    return std::ferror(static_cast<std::FILE*>(stream));
}

}  // namespace

void fill_default_filefunc(zlib_filefunc_def* table) {
    table->zopen_file = OpenDefault;
    table->zread_file = ReadDefault;
    table->zwrite_file = WriteDefault;
    table->ztell_file = TellDefault;
    table->zseek_file = SeekDefault;
    table->zclose_file = CloseDefault;
    table->zerror_file = ErrorDefault;
    table->opaque = nullptr;
}
