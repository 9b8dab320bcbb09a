#include "platform/native_path.h"

#include "platform/code_page.h"

namespace platform {

// Windows names files in UTF-16 and the backend passes wide paths straight to
// the system; this narrow spelling (UTF-8, as on POSIX) serves only messages.
std::string NativePath(std::u16string_view path) {
    size_t nul = path.find(u'\0');
    if (nul != std::u16string_view::npos) path = path.substr(0, nul);
    return WideToMultiByte(kCodePageUtf8, path);
}

}  // namespace platform
