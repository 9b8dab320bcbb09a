#include "platform/temp_directory.h"

#include "platform/win32/wide_string.h"

#include <windows.h>

#include <vector>

namespace platform {

uint32_t GetTempDirectory(uint32_t bufferLength, char16_t* buffer) {
    DWORD needed = GetTempPathW(0, nullptr);
    if (needed == 0) return 0;
    // Ask with our own buffer so the answer never depends on the caller's
    // length being honest, then apply the two-call protocol to what we got.
    std::vector<wchar_t> path(needed + 1);
    DWORD length = GetTempPathW(DWORD(path.size()), path.data());
    if (length == 0 || length >= path.size()) return length == 0 ? 0 : length + 1;
    if (path[length - 1] != L'\\' && path[length - 1] != L'/') path[length++] = L'\\';
    if (buffer == nullptr || bufferLength <= length) return length + 1;
    for (DWORD i = 0; i < length; ++i) buffer[i] = char16_t(path[i]);
    buffer[length] = u'\0';
    return length;
}

}  // namespace platform
