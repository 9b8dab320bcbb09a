#include "exports/convert_to_unicode.h"

#include "exports/text_mode_converter.h"
#include "platform/code_page.h"
#include "platform/diagnostics.h"
#include "platform/raw_file.h"

#include <memory>
#include <string>
#include <string_view>

namespace {

constexpr char kCantOpenAnsi[] = "Can`t open ANSI file";
constexpr char kCantCreateUnicode[] = "Can`t create Unicode file";
constexpr char kCantReadAnsi[] = "Can`t read ANSI file";
constexpr char kCantWriteUnicode[] = "Can`t write Unicode file";

// Owns a raw file; Close reports whether closing succeeded.
class RawFileOwner {
public:
    explicit RawFileOwner(platform::RawFile file) : file_(file) {}
    ~RawFileOwner() { Close(); }
    RawFileOwner(const RawFileOwner&) = delete;
    RawFileOwner& operator=(const RawFileOwner&) = delete;

    bool IsOpen() const { return file_ != platform::kInvalidRawFile; }
    platform::RawFile get() const { return file_; }
    bool Close() {
        platform::RawFile file = file_;
        file_ = platform::kInvalidRawFile;
        return platform::CloseRaw(file);
    }

private:
    platform::RawFile file_;
};

// Writes UTF-16 units as little-endian bytes.
bool WriteUtf16Le(platform::RawFile file, std::u16string_view text) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    std::string bytes;
    bytes.reserve(text.size() * 2);
    for (char16_t unit : text) {
        bytes.push_back(char(unit & 0xFF));
        bytes.push_back(char(unit >> 8));
    }
    return platform::WriteRaw(file, bytes.data(), bytes.size());
#else
    return platform::WriteRaw(file, text.data(), text.size() * sizeof(char16_t));
#endif
}

std::string_view PathText(const char* path) { return path != nullptr ? path : ""; }

// Shows the box while both files are still open, then closes the input and
// then the output.
bool Fail(const char* caption, const char* path, RawFileOwner& input, RawFileOwner& output) {
    platform::ShowMessageBox(caption, PathText(path));
    input.Close();
    output.Close();
    return false;
}

}  // namespace

bool ConvertToUnicode(const char* ansiPath, const char* unicodePath) {
    RawFileOwner input(platform::OpenRawForRead(ansiPath));
    if (!input.IsOpen()) {
        platform::ShowMessageBox(kCantOpenAnsi, PathText(ansiPath));
        return false;
    }
    RawFileOwner output(platform::OpenRawForUpdate(unicodePath));
    // The output is opened without truncation so that a path naming the input
    // itself is recognised before anything is destroyed; then it is emptied,
    // so no bytes of an older, longer file survive beyond the new end (and an
    // older file's byte-order mark, whatever it was, is gone with them).
    if (!output.IsOpen() || platform::IsSameRawFile(input.get(), output.get()) ||
        !platform::TruncateRaw(output.get(), 0))
        return Fail(kCantCreateUnicode, unicodePath, input, output);

    // The mark that a UTF-16 text-mode open puts into a new or empty file.
    if (!platform::WriteRaw(output.get(), "\xFF\xFE", 2))
        return Fail(kCantWriteUnicode, unicodePath, input, output);

    auto block = std::make_unique<char[]>(quenzil::kConvertBlockSize);
    quenzil::TextModeConverter converter(platform::kCodePageAnsi);
    std::u16string text;
    for (;;) {
        int32_t got = platform::ReadRaw(input.get(), block.get(), quenzil::kConvertBlockSize);
        if (got < 0) return Fail(kCantReadAnsi, ansiPath, input, output);
        text.clear();
        if (got == 0) {
            converter.Finish(&text);
        } else {
            converter.Convert(std::string_view(block.get(), size_t(got)), &text);
        }
        if (!WriteUtf16Le(output.get(), text))
            return Fail(kCantWriteUnicode, unicodePath, input, output);
        if (got == 0) break;
    }

    input.Close();
    if (!output.Close()) {
        platform::ShowMessageBox(kCantWriteUnicode, PathText(unicodePath));
        return false;
    }
    return true;
}
