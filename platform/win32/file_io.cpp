#include "platform/file_io.h"

#include "platform/win32/wide_string.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

namespace platform {
namespace {

HANDLE ToHandle(FileHandle file) { return reinterpret_cast<HANDLE>(file); }

}  // namespace

FileHandle OpenExistingForRead(const std::u16string& path) {
    std::wstring native = win32::ToSystem(path);
    if (native.empty()) return kInvalidFileHandle;
    // Opening a directory fails here without FILE_FLAG_BACKUP_SEMANTICS.
    HANDLE file = CreateFileW(native.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return kInvalidFileHandle;
    return reinterpret_cast<FileHandle>(file);
}

bool ReadFromFile(FileHandle file, void* buffer, uint32_t size, uint32_t* got) {
    *got = 0;
    if (file == kInvalidFileHandle) return false;
    auto* out = static_cast<char*>(buffer);
    // Fill the request unless the file ends, so a short count means the end.
    while (*got < size) {
        DWORD n = 0;
        if (!ReadFile(ToHandle(file), out + *got, size - *got, &n, nullptr)) return false;
        if (n == 0) break;
        *got += n;
    }
    return true;
}

void CloseFile(FileHandle file) {
    if (file != kInvalidFileHandle) CloseHandle(ToHandle(file));
}

bool DeleteFileAt(const std::u16string& path) {
    std::wstring native = win32::ToSystem(path);
    return !native.empty() && DeleteFileW(native.c_str()) != 0;
}

std::FILE* OpenStream(const std::u16string& path, const char* mode) {
    std::wstring native = win32::ToSystem(path);
    if (native.empty() || mode == nullptr) return nullptr;
    std::wstring wideMode(mode, mode + std::strlen(mode));
    // _wfopen refuses directories itself (EACCES).
    return _wfopen(native.c_str(), wideMode.c_str());
}

}  // namespace platform
