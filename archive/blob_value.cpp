#include "archive/blob_value.h"

#include <limits>
#include <utility>

namespace {

bool IsFormatSpace(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

class FieldCursor {
public:
    explicit FieldCursor(std::u16string_view text) : text_(text) {}

    void SkipSpace() {
        while (pos_ < text_.size() && IsFormatSpace(text_[pos_])) ++pos_;
    }

    // A decimal integer with an optional sign, in the signed 32-bit range.
    bool ReadInt(int32_t& result) {
        SkipSpace();
        bool negative = false;
        if (pos_ < text_.size() && (text_[pos_] == u'+' || text_[pos_] == u'-')) {
            negative = text_[pos_] == u'-';
            ++pos_;
        }
        const int64_t limit = negative ? -static_cast<int64_t>(std::numeric_limits<int32_t>::min())
                                       : std::numeric_limits<int32_t>::max();
        int64_t magnitude = 0;
        size_t digits = 0;
        while (pos_ < text_.size() && text_[pos_] >= u'0' && text_[pos_] <= u'9') {
            magnitude = magnitude * 10 + (text_[pos_] - u'0');
            if (magnitude > limit) return false;
            ++pos_;
            ++digits;
        }
        if (digits == 0) return false;
        result = static_cast<int32_t>(negative ? -magnitude : magnitude);
        return true;
    }

    // A run of non-white-space characters of at most maxLength units.
    bool ReadWord(std::u16string& result, size_t maxLength) {
        SkipSpace();
        const size_t start = pos_;
        while (pos_ < text_.size() && !IsFormatSpace(text_[pos_])) ++pos_;
        const size_t length = pos_ - start;
        if (length == 0 || length > maxLength) return false;
        result.assign(text_.substr(start, length));
        return true;
    }

private:
    std::u16string_view text_;
    size_t pos_ = 0;
};

}  // namespace

ESAXBlobValueParse ParseBlobValue(std::u16string_view text, MSAXBlobValue& value) {
    if (text.empty()) return ESAXBlobValueParse::eEmpty;
    const size_t nul = text.find(u'\0');
    if (nul != std::u16string_view::npos) text = text.substr(0, nul);

    FieldCursor fields(text);
    MSAXBlobValue parsed;
    if (!fields.ReadInt(parsed.offset) || !fields.ReadInt(parsed.size) ||
        !fields.ReadWord(parsed.entryName, kBlobValueMaxNameLength))
        return ESAXBlobValueParse::eMalformed;
    if (parsed.offset < 0 || parsed.size < 0) return ESAXBlobValueParse::eMalformed;
    value = std::move(parsed);
    return ESAXBlobValueParse::eValid;
}
