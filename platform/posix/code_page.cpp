#include "platform/code_page.h"

#include <iconv.h>

#include <array>
#include <cerrno>
#include <string>

namespace platform {
namespace {

uint32_t g_ansiCodePage = kCodePageUtf8;
thread_local uint32_t t_threadCodePage = 0;

constexpr char16_t kReplacement = 0xFFFD;

// Windows-1252 bytes 0x80..0x9F; the five bytes the code page leaves undefined
// map to the C1 control of the same value, as the system maps them.
constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// All 256 bytes, so decoding is one load per byte with no branch.
constexpr std::array<char16_t, 256> MakeWindows1252Table() {
    std::array<char16_t, 256> table{};
    for (size_t b = 0; b < table.size(); ++b)
        table[b] = (b >= 0x80 && b <= 0x9F) ? kWindows1252High[b - 0x80] : char16_t(b);
    return table;
}
constexpr std::array<char16_t, 256> kWindows1252ToWide = MakeWindows1252Table();

char16_t Windows1252ToWide(unsigned char byte) { return kWindows1252ToWide[byte]; }

char WideToWindows1252(char16_t unit) {
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) return char(unit);
    for (size_t i = 0; i < kWindows1252High.size(); ++i)
        if (kWindows1252High[i] == unit) return char(0x80 + i);
    return '?';
}

// Number of continuation bytes after a UTF-8 lead byte and the allowed range of
// the first of them; 0 continuations for an invalid lead.
struct Utf8Lead {
    int continuations;
    unsigned char low, high;
};

Utf8Lead ClassifyUtf8Lead(unsigned char b) {
    if (b >= 0xC2 && b <= 0xDF) return {1, 0x80, 0xBF};
    if (b == 0xE0) return {2, 0xA0, 0xBF};
    if ((b >= 0xE1 && b <= 0xEC) || b == 0xEE || b == 0xEF) return {2, 0x80, 0xBF};
    if (b == 0xED) return {2, 0x80, 0x9F};
    if (b == 0xF0) return {3, 0x90, 0xBF};
    if (b >= 0xF1 && b <= 0xF3) return {3, 0x80, 0xBF};
    if (b == 0xF4) return {3, 0x80, 0x8F};
    return {0, 0, 0};
}

// Length of the valid beginning of the UTF-8 sequence at s (at most n bytes
// available), and whether it is complete.
size_t Utf8ValidPrefix(const unsigned char* s, size_t n, bool* complete) {
    Utf8Lead lead = ClassifyUtf8Lead(s[0]);
    *complete = false;
    if (lead.continuations == 0) return 0;
    size_t i = 1;
    for (int k = 0; k < lead.continuations; ++k, ++i) {
        if (i >= n) return i;
        unsigned char low = k == 0 ? lead.low : 0x80, high = k == 0 ? lead.high : 0xBF;
        if (s[i] < low || s[i] > high) return i;
    }
    *complete = true;
    return i;
}

void AppendUtf8Decoded(std::u16string& out, std::string_view bytes) {
    auto s = reinterpret_cast<const unsigned char*>(bytes.data());
    size_t n = bytes.size(), i = 0;
    out.reserve(out.size() + n);
    while (i < n) {
        if (s[i] < 0x80) {
            out.push_back(char16_t(s[i++]));
            continue;
        }
        bool complete = false;
        size_t len = Utf8ValidPrefix(s + i, n - i, &complete);
        if (!complete) {
            // A maximal invalid subpart becomes one replacement character.
            out.push_back(kReplacement);
            i += len == 0 ? 1 : len;
            continue;
        }
        uint32_t cp = s[i] & (0xFF >> (len + 1));
        for (size_t k = 1; k < len; ++k) cp = (cp << 6) | (s[i + k] & 0x3F);
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(char16_t(0xD800 + (cp >> 10)));
            out.push_back(char16_t(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(char16_t(cp));
        }
        i += len;
    }
}

void AppendUtf8Encoded(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out.push_back(char(cp));
    } else if (cp < 0x800) {
        out.push_back(char(0xC0 | (cp >> 6)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(char(0xE0 | (cp >> 12)));
        out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(char(0xF0 | (cp >> 18)));
        out.push_back(char(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    }
}

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t u = text[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            u = 0x10000 + ((u - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            u = kReplacement;
        }
        AppendUtf8Encoded(out, u);
    }
    return out;
}

// Other code pages go through iconv, named "CP<n>".
class IconvConverter {
public:
    IconvConverter(const std::string& to, const std::string& from)
        : cd_(iconv_open(to.c_str(), from.c_str())) {}
    ~IconvConverter() {
        if (ok()) iconv_close(cd_);
    }
    IconvConverter(const IconvConverter&) = delete;
    IconvConverter& operator=(const IconvConverter&) = delete;
    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return cd_; }

private:
    iconv_t cd_;
};

std::string IconvName(uint32_t codePage) { return "CP" + std::to_string(codePage); }

// Converts from a code page to UTF-16LE; stops at an incomplete tail when
// stopAtIncomplete, otherwise replaces it. Returns the bytes consumed.
size_t IconvToWide(uint32_t codePage, std::string_view bytes, std::u16string* out,
                   bool stopAtIncomplete) {
    IconvConverter conv("UTF-16LE", IconvName(codePage));
    if (!conv.ok()) return 0;
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    char16_t chunk[1024];
    while (inLeft > 0) {
        char* outPtr = reinterpret_cast<char*>(chunk);
        size_t outLeft = sizeof(chunk);
        size_t r = iconv(conv.get(), &in, &inLeft, &outPtr, &outLeft);
        if (out) out->append(chunk, (sizeof(chunk) - outLeft) / 2);
        if (r != size_t(-1)) continue;
        if (errno == E2BIG) continue;
        if (errno == EINVAL && stopAtIncomplete) break;
        if (out) out->push_back(kReplacement);
        ++in;
        --inLeft;
    }
    return bytes.size() - inLeft;
}

}  // namespace

uint32_t SetAnsiCodePage(uint32_t codePage) {
    uint32_t previous = g_ansiCodePage;
    g_ansiCodePage = codePage;
    return previous;
}

uint32_t GetAnsiCodePage() { return g_ansiCodePage; }

uint32_t SetThreadAnsiCodePage(uint32_t codePage) {
    uint32_t previous = t_threadCodePage;
    t_threadCodePage = codePage;
    return previous;
}

uint32_t ResolveCodePage(uint32_t codePage) {
    if (codePage == kCodePageThreadAnsi && t_threadCodePage != 0) return t_threadCodePage;
    if (codePage == kCodePageAnsi || codePage == kCodePageThreadAnsi) return g_ansiCodePage;
    return codePage;
}

bool IsCodePageSupported(uint32_t codePage) {
    codePage = ResolveCodePage(codePage);
    if (codePage == kCodePageUtf8 || codePage == kCodePageWindows1252) return true;
    return IconvConverter("UTF-16LE", IconvName(codePage)).ok();
}

std::u16string MultiByteToWide(uint32_t codePage, std::string_view bytes) {
    codePage = ResolveCodePage(codePage);
    std::u16string out;
    if (codePage == kCodePageUtf8) {
        AppendUtf8Decoded(out, bytes);
    } else if (codePage == kCodePageWindows1252) {
        out.resize(bytes.size());
        for (size_t i = 0; i < bytes.size(); ++i)
            out[i] = Windows1252ToWide(static_cast<unsigned char>(bytes[i]));
    } else {
        IconvToWide(codePage, bytes, &out, false);
    }
    return out;
}

std::string WideToMultiByte(uint32_t codePage, std::u16string_view text) {
    codePage = ResolveCodePage(codePage);
    if (codePage == kCodePageUtf8) return Utf16ToUtf8(text);
    std::string out;
    if (codePage == kCodePageWindows1252) {
        out.resize(text.size());
        for (size_t i = 0; i < text.size(); ++i) out[i] = WideToWindows1252(text[i]);
        return out;
    }
    IconvConverter conv(IconvName(codePage), "UTF-16LE");
    if (!conv.ok()) return out;
    for (char16_t unit : text) {
        char16_t one[1] = {unit};
        char* in = reinterpret_cast<char*>(one);
        size_t inLeft = sizeof(one);
        char buf[8];
        char* outPtr = buf;
        size_t outLeft = sizeof(buf);
        if (iconv(conv.get(), &in, &inLeft, &outPtr, &outLeft) == size_t(-1)) {
            out.push_back('?');
            iconv(conv.get(), nullptr, nullptr, nullptr, nullptr);
        } else {
            out.append(buf, sizeof(buf) - outLeft);
        }
    }
    return out;
}

size_t CompleteCharacterPrefix(uint32_t codePage, std::string_view bytes) {
    codePage = ResolveCodePage(codePage);
    if (codePage == kCodePageWindows1252) return bytes.size();
    if (codePage == kCodePageUtf8) {
        auto s = reinterpret_cast<const unsigned char*>(bytes.data());
        size_t n = bytes.size();
        // Only a sequence that starts within the last three bytes can be cut.
        for (size_t back = 1; back <= 3 && back <= n; ++back) {
            size_t start = n - back;
            if ((s[start] & 0xC0) == 0x80) continue;
            bool complete = false;
            size_t len = Utf8ValidPrefix(s + start, back, &complete);
            return (!complete && len == back) ? start : n;
        }
        return n;
    }
    return IconvToWide(codePage, bytes, nullptr, true);
}

}  // namespace platform
