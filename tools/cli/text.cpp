#include "tools/cli/text.h"

#include "platform/code_page.h"
#include "platform/file_io.h"

#include <memory>

namespace qcli {

std::string Utf8(std::u16string_view text) {
    return platform::WideToMultiByte(platform::kCodePageUtf8, text);
}

std::u16string WidenArg(std::string_view arg) {
    return platform::MultiByteToWide(platform::kCodePageAnsi, arg);
}

std::string ReadWholeFile(const std::string& path) {
    struct Closer {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    std::unique_ptr<std::FILE, Closer> file(platform::OpenStream(WidenArg(path), "rb"));
    if (!file) throw InputError{"cannot open '" + path + "' for reading"};
    std::string bytes;
    char buffer[64 * 1024];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) bytes.append(buffer, got);
    if (std::ferror(file.get())) throw InputError{"cannot read '" + path + "'"};
    return bytes;
}

bool WriteAll(std::FILE* stream, std::string_view bytes) {
    return std::fwrite(bytes.data(), 1, bytes.size(), stream) == bytes.size();
}

}  // namespace qcli
