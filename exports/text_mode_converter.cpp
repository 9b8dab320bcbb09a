#include "exports/text_mode_converter.h"

#include "platform/code_page.h"

#include <cstring>

namespace quenzil {

TextModeConverter::TextModeConverter(uint32_t codePage) : codePage_(codePage) {}

void TextModeConverter::Convert(std::string_view block, std::u16string* out) {
    if (block.empty()) return;
    if (pendingCr_) {
        pendingCr_ = false;
        if (block.front() != '\n') work_.push_back('\r');
    }
    // Fold CR LF into LF; a CR at the end of the block waits for the next one.
    const char* data = block.data();
    size_t size = block.size(), at = 0;
    while (at < size) {
        const void* found = std::memchr(data + at, '\r', size - at);
        if (found == nullptr) {
            work_.append(data + at, size - at);
            break;
        }
        size_t cr = size_t(static_cast<const char*>(found) - data);
        work_.append(data + at, cr - at);
        if (cr + 1 == size) {
            pendingCr_ = true;
        } else if (data[cr + 1] != '\n') {
            work_.push_back('\r');
        }
        at = cr + 1;
    }
    ConvertWork(platform::CompleteCharacterPrefix(codePage_, work_), out);
}

void TextModeConverter::Finish(std::u16string* out) {
    if (pendingCr_) work_.push_back('\r');
    pendingCr_ = false;
    ConvertWork(work_.size(), out);
}

void TextModeConverter::ConvertWork(size_t length, std::u16string* out) {
    if (length > 0)
        AppendWithCrLf(platform::MultiByteToWide(codePage_, std::string_view(work_).substr(0, length)),
                       out);
    work_.erase(0, length);
}

void AppendWithCrLf(std::u16string_view text, std::u16string* out) {
    size_t at = 0;
    for (;;) {
        size_t lf = text.find(u'\n', at);
        if (lf == std::u16string_view::npos) break;
        out->append(text.data() + at, lf - at);
        out->append(u"\r\n", 2);
        at = lf + 1;
    }
    out->append(text.data() + at, text.size() - at);
}

}  // namespace quenzil
