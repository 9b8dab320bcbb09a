// ConvertToUnicode on arbitrary bytes in Windows-1252 and in UTF-8 against a
// one-shot conversion of the whole input (CR LF folded, converted at once,
// every LF written as CR LF, after the mark FF FE). The block-wise converter
// behind it is also driven directly with block sizes taken from the input,
// so that block boundaries fall everywhere, also inside CR LF pairs and
// multi-byte characters.
//
// Input: mode (1 byte: bit 0 picks the code page of the file conversion),
// block-size seed (1 byte), then the text.

#include "exports/convert_to_unicode.h"
#include "exports/text_mode_converter.h"
#include "fuzz/fuzz_support.h"
#include "platform/code_page.h"
#include "platform/diagnostics.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace {

using qfuzz::Check;

std::u16string OneShot(uint32_t codePage, std::string_view bytes) {
    std::string folded;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
        folded.push_back(bytes[i]);
    }
    std::u16string text;
    for (char16_t unit : platform::MultiByteToWide(codePage, folded)) {
        if (unit == u'\n') text.push_back(u'\r');
        text.push_back(unit);
    }
    return text;
}

std::string LittleEndian(std::u16string_view text) {
    std::string bytes;
    for (char16_t unit : text) {
        bytes.push_back(char(unit & 0xFF));
        bytes.push_back(char(unit >> 8));
    }
    return bytes;
}

std::string ReadAll(const std::string& path) {
    std::ifstream stream(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

void CheckBlockwise(uint32_t codePage, std::string_view bytes, uint8_t seed) {
    quenzil::TextModeConverter converter(codePage);
    std::u16string out;
    size_t at = 0;
    unsigned step = seed;
    while (at < bytes.size()) {
        step = step * 37 + 11;
        const size_t block = std::min<size_t>(1 + step % (seed % 16 + 1), bytes.size() - at);
        converter.Convert(bytes.substr(at, block), &out);
        at += block;
    }
    converter.Finish(&out);
    Check(out == OneShot(codePage, bytes), "block-wise conversion differs from one-shot");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const qfuzz::ScratchFile ansi("ansi");
    static const qfuzz::ScratchFile unicode("unicode");
    static bool quiet = [] {
        platform::SetMessageBoxSink([](std::string_view caption, std::string_view) {
            std::fprintf(stderr, "unexpected message box: %.*s\n", int(caption.size()), caption.data());
            std::abort();
        });
        return true;
    }();
    (void)quiet;

    qfuzz::FuzzInput input(data, size);
    const uint8_t mode = input.Byte();
    const uint8_t seed = input.Byte();
    const std::string_view text = input.Rest();

    CheckBlockwise(platform::kCodePageWindows1252, text, seed);
    CheckBlockwise(platform::kCodePageUtf8, text, seed);

    const uint32_t codePage = (mode & 1) ? platform::kCodePageUtf8 : platform::kCodePageWindows1252;
    const uint32_t previous = platform::SetAnsiCodePage(codePage);
    ansi.Write(text);
    // Left over from the last input, longer than this one's result: it must
    // not survive the conversion.
    unicode.Write(std::string(2 * text.size() + 64, 'x'));
    Check(ConvertToUnicode(ansi.path().c_str(), unicode.path().c_str()), "ConvertToUnicode failed");
    Check(ReadAll(unicode.path()) == "\xFF\xFE" + LittleEndian(OneShot(codePage, text)),
          "ConvertToUnicode differs from one-shot");
    platform::SetAnsiCodePage(previous);
    return 0;
}
