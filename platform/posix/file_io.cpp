#include "platform/file_io.h"

#include "platform/native_path.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace platform {
namespace {

bool IsDirectory(int fd) {
    struct stat st;
    return fstat(fd, &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

FileHandle OpenExistingForRead(const std::u16string& path) {
    std::string native = NativePath(path);
    if (native.empty()) return kInvalidFileHandle;
    int fd = open(native.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return kInvalidFileHandle;
    if (IsDirectory(fd)) {
        close(fd);
        return kInvalidFileHandle;
    }
    return fd;
}

bool ReadFromFile(FileHandle file, void* buffer, uint32_t size, uint32_t* got) {
    *got = 0;
    if (file == kInvalidFileHandle) return false;
    auto* out = static_cast<char*>(buffer);
    // Fill the request unless the file ends, so a short count means the end.
    while (*got < size) {
        ssize_t n = read(int(file), out + *got, size - *got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) break;
        *got += uint32_t(n);
    }
    return true;
}

void CloseFile(FileHandle file) {
    if (file != kInvalidFileHandle) close(int(file));
}

bool DeleteFileAt(const std::u16string& path) {
    std::string native = NativePath(path);
    return !native.empty() && unlink(native.c_str()) == 0;
}

std::FILE* OpenStream(const std::u16string& path, const char* mode) {
    std::string native = NativePath(path);
    if (native.empty() || mode == nullptr) return nullptr;
    std::FILE* f = std::fopen(native.c_str(), mode);
    if (f != nullptr && IsDirectory(fileno(f))) {
        std::fclose(f);
        return nullptr;
    }
    return f;
}

}  // namespace platform
