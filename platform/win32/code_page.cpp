#include "platform/code_page.h"

#include "platform/win32/wide_string.h"

#include <windows.h>

#include <climits>
#include <string>

namespace platform {
namespace {

// Overrides set through SetAnsiCodePage / SetThreadAnsiCodePage; 0 means none,
// and then the system's own CP_ACP / CP_THREAD_ACP apply.
uint32_t g_ansiOverride = 0;
thread_local uint32_t t_threadOverride = 0;

bool IsPseudoCodePage(uint32_t codePage) {
    return codePage == kCodePageAnsi || codePage == kCodePageThreadAnsi;
}

// The code page CP_THREAD_ACP stands for: that of the thread's locale.
uint32_t SystemThreadCodePage() {
    DWORD codePage = 0;
    if (GetLocaleInfoW(GetThreadLocale(), LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                       reinterpret_cast<LPWSTR>(&codePage), sizeof(codePage) / sizeof(WCHAR)) == 0 ||
        codePage == 0)
        return GetACP();
    return codePage;
}

// Inputs beyond int's range cannot be passed to the system converters.
bool FitsInt(size_t size) { return size <= size_t(INT_MAX); }

// True when the n bytes at s begin a valid UTF-8 sequence that needs more than
// n bytes. The second byte's range depends on the lead (no overlong forms, no
// surrogates, nothing above U+10FFFF).
bool IsCutUtf8Sequence(const unsigned char* s, size_t n) {
    unsigned char b = s[0];
    size_t length;
    unsigned char low = 0x80, high = 0xBF;
    if (b >= 0xC2 && b <= 0xDF) {
        length = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
        length = 3;
        if (b == 0xE0) low = 0xA0;
        if (b == 0xED) high = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        length = 4;
        if (b == 0xF0) low = 0x90;
        if (b == 0xF4) high = 0x8F;
    } else {
        return false;
    }
    if (n >= length) return false;
    for (size_t i = 1; i < n; ++i) {
        if (s[i] < (i == 1 ? low : 0x80) || s[i] > (i == 1 ? high : 0xBF)) return false;
    }
    return true;
}

}  // namespace

uint32_t SetAnsiCodePage(uint32_t codePage) {
    uint32_t previous = GetAnsiCodePage();
    g_ansiOverride = IsPseudoCodePage(codePage) ? 0 : codePage;
    return previous;
}

uint32_t GetAnsiCodePage() { return g_ansiOverride != 0 ? g_ansiOverride : GetACP(); }

uint32_t SetThreadAnsiCodePage(uint32_t codePage) {
    uint32_t previous = t_threadOverride;
    t_threadOverride = IsPseudoCodePage(codePage) ? 0 : codePage;
    return previous;
}

uint32_t ResolveCodePage(uint32_t codePage) {
    if (codePage == kCodePageThreadAnsi) {
        if (t_threadOverride != 0) return t_threadOverride;
        // A forced process-wide page governs the threads too, as on POSIX.
        return g_ansiOverride != 0 ? g_ansiOverride : SystemThreadCodePage();
    }
    if (codePage == kCodePageAnsi) return GetAnsiCodePage();
    return codePage;
}

bool IsCodePageSupported(uint32_t codePage) {
    return IsValidCodePage(ResolveCodePage(codePage)) != 0;
}

std::u16string MultiByteToWide(uint32_t codePage, std::string_view bytes) {
    codePage = ResolveCodePage(codePage);
    if (bytes.empty() || !FitsInt(bytes.size())) return {};
    int length = MultiByteToWideChar(codePage, 0, bytes.data(), int(bytes.size()), nullptr, 0);
    if (length <= 0) return {};
    std::wstring out(size_t(length), L'\0');
    length = MultiByteToWideChar(codePage, 0, bytes.data(), int(bytes.size()), out.data(), length);
    if (length <= 0) return {};
    out.resize(size_t(length));
    return win32::FromSystem(out);
}

std::string WideToMultiByte(uint32_t codePage, std::u16string_view text) {
    codePage = ResolveCodePage(codePage);
    if (text.empty() || !FitsInt(text.size())) return {};
    std::wstring in(text.begin(), text.end());
    int length = WideCharToMultiByte(codePage, 0, in.data(), int(in.size()), nullptr, 0,
                                     nullptr, nullptr);
    if (length <= 0) return {};
    std::string out(size_t(length), '\0');
    length = WideCharToMultiByte(codePage, 0, in.data(), int(in.size()), out.data(), length,
                                 nullptr, nullptr);
    if (length <= 0) return {};
    out.resize(size_t(length));
    return out;
}

size_t CompleteCharacterPrefix(uint32_t codePage, std::string_view bytes) {
    codePage = ResolveCodePage(codePage);
    auto s = reinterpret_cast<const unsigned char*>(bytes.data());
    size_t n = bytes.size();
    if (codePage == kCodePageUtf8) {
        // Only a sequence that starts within the last three bytes can be cut:
        // step back over continuation bytes to its lead and check that what
        // follows the lead is a valid but unfinished sequence.
        for (size_t back = 1; back <= 3 && back <= n; ++back) {
            size_t start = n - back;
            if ((s[start] & 0xC0) == 0x80) continue;
            return IsCutUtf8Sequence(s + start, back) ? start : n;
        }
        return n;
    }
    CPINFO info;
    if (!GetCPInfo(codePage, &info) || info.MaxCharSize <= 1) return n;
    // Double-byte code pages: walk the characters from the start, since a
    // trail byte can look like a lead byte.
    size_t i = 0;
    while (i < n) {
        if (IsDBCSLeadByteEx(codePage, s[i])) {
            if (i + 1 >= n) return i;
            i += 2;
        } else {
            ++i;
        }
    }
    return n;
}

}  // namespace platform
