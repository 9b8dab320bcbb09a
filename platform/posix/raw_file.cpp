#include "platform/raw_file.h"

#include "platform/code_page.h"
#include "platform/native_path.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <string>

namespace platform {
namespace {

std::string NativeFromAnsi(const char* ansiPath) {
    if (ansiPath == nullptr || *ansiPath == '\0') return {};
    return NativePath(MultiByteToWide(kCodePageAnsi, ansiPath));
}

RawFile OpenNotDirectory(const char* ansiPath, int flags, mode_t mode) {
    std::string native = NativeFromAnsi(ansiPath);
    if (native.empty()) return kInvalidRawFile;
    int fd;
    do {
        fd = open(native.c_str(), flags | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return kInvalidRawFile;
    struct stat st;
    if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        close(fd);
        return kInvalidRawFile;
    }
    return fd;
}

}  // namespace

RawFile OpenRawForRead(const char* ansiPath) { return OpenNotDirectory(ansiPath, O_RDONLY, 0); }

RawFile OpenRawForUpdate(const char* ansiPath) {
    return OpenNotDirectory(ansiPath, O_RDWR | O_CREAT, 0666);
}

int32_t ReadRaw(RawFile file, void* buffer, uint32_t size) {
    if (file == kInvalidRawFile) return -1;
    if (size > uint32_t(INT32_MAX)) size = uint32_t(INT32_MAX);
    ssize_t n;
    do {
        n = read(int(file), buffer, size);
    } while (n < 0 && errno == EINTR);
    return n < 0 ? -1 : int32_t(n);
}

bool WriteRaw(RawFile file, const void* buffer, size_t size) {
    if (file == kInvalidRawFile) return false;
    auto* bytes = static_cast<const char*>(buffer);
    while (size > 0) {
        ssize_t n = write(int(file), bytes, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes += n;
        size -= size_t(n);
    }
    return true;
}

bool TruncateRaw(RawFile file, uint64_t length) {
    struct stat st;
    if (file == kInvalidRawFile || fstat(int(file), &st) != 0) return false;
    if (!S_ISREG(st.st_mode)) return true;
    if (length > uint64_t(INT64_MAX)) return false;
    int r;
    do {
        r = ftruncate(int(file), off_t(length));
    } while (r != 0 && errno == EINTR);
    return r == 0;
}

bool IsSameRawFile(RawFile a, RawFile b) {
    struct stat sa, sb;
    if (a == kInvalidRawFile || b == kInvalidRawFile) return false;
    if (fstat(int(a), &sa) != 0 || fstat(int(b), &sb) != 0) return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool CloseRaw(RawFile file) {
    if (file == kInvalidRawFile) return true;
    // Linux releases the descriptor even when close reports EINTR; never retry.
    return close(int(file)) == 0;
}

}  // namespace platform
