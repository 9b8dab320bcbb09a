#pragma once
// The Win32 boundary: our UTF-16 strings are char16_t, the system's are
// wchar_t of the same width. Copies rather than casts keep the two types apart.

#include <string>
#include <string_view>

namespace platform::win32 {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wchar_t is a UTF-16 unit");

// The same units as wchar_t, cut at an embedded NUL as the system would.
inline std::wstring ToSystem(std::u16string_view text) {
    size_t nul = text.find(u'\0');
    if (nul != std::u16string_view::npos) text = text.substr(0, nul);
    return std::wstring(text.begin(), text.end());
}

// The same units as char16_t.
inline std::u16string FromSystem(std::wstring_view text) {
    return std::u16string(text.begin(), text.end());
}

}  // namespace platform::win32
