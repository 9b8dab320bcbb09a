#include "xml/number_text.h"

namespace xml {
namespace {

bool IsStreamSpace(char16_t c) {
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

// Reads sign and digits; *magnitude saturates just above limit so that any
// run of digits (also a very long one) ends in bounded arithmetic.
bool ReadMagnitude(std::u16string_view text, uint64_t limit, bool* negative, uint64_t* magnitude) {
    std::size_t i = 0;
    while (i < text.size() && IsStreamSpace(text[i])) {
        ++i;
    }
    *negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        *negative = text[i] == u'-';
        ++i;
    }
    const std::size_t firstDigit = i;
    uint64_t value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        if (value <= limit) {
            value = value * 10 + static_cast<uint64_t>(text[i] - u'0');
        }
    }
    *magnitude = value;
    return i > firstDigit;
}

}  // namespace

bool ReadInt32(std::u16string_view text, int32_t* out) {
    bool negative = false;
    uint64_t magnitude = 0;
    const uint64_t limit = uint64_t{1} << 31;  // |INT32_MIN|
    if (!ReadMagnitude(text, limit, &negative, &magnitude)) {
        return false;
    }
    if (negative) {
        if (magnitude > limit) {
            return false;
        }
        *out = static_cast<int32_t>(-static_cast<int64_t>(magnitude));
    } else {
        if (magnitude > limit - 1) {
            return false;
        }
        *out = static_cast<int32_t>(magnitude);
    }
    return true;
}

bool ReadUInt32(std::u16string_view text, uint32_t* out) {
    bool negative = false;
    uint64_t magnitude = 0;
    const uint64_t limit = UINT32_MAX;
    if (!ReadMagnitude(text, limit, &negative, &magnitude) || magnitude > limit) {
        return false;
    }
    const uint32_t value = static_cast<uint32_t>(magnitude);
    *out = negative ? static_cast<uint32_t>(0u - value) : value;
    return true;
}

}  // namespace xml
