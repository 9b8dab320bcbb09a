#include "platform/native_path.h"

#include "platform/code_page.h"

namespace platform {

// POSIX file systems take these bytes as the name; on Windows the backend
// passes wide paths straight to the system and this spelling serves messages.
std::string NativePath(std::u16string_view path) {
    size_t nul = path.find(u'\0');
    if (nul != std::u16string_view::npos) path = path.substr(0, nul);
    return WideToMultiByte(kCodePageUtf8, path);
}

}  // namespace platform
