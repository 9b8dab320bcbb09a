#include "tests/support/temp_dir.h"

#include "platform/code_page.h"

#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <stdexcept>

namespace qtest {

TempDir::TempDir() {
    std::random_device rd;
    auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto candidate = base / ("quenzil-test-" + std::to_string(rd()));
        if (std::filesystem::create_directory(candidate)) {
            path_ = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary directory");
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

// The directory as UTF-8 followed by the name's bytes unchanged, so a test can
// spell a name in another code page. (On Windows a plain narrow path would be
// read in the ANSI code page, hence u8string and u8path throughout.)
std::string TempDir::File(std::string_view name) const {
    std::string file = path_.u8string();
    file.push_back(char(std::filesystem::path::preferred_separator));
    file.append(name);
    return file;
}

std::u16string TempDir::WideFile(std::string_view name) const { return Widen(File(name)); }

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFileBytes(const std::string& path, std::string_view bytes) {
    std::ofstream out(std::filesystem::u8path(path), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

std::u16string Widen(std::string_view utf8) {
    return platform::MultiByteToWide(platform::kCodePageUtf8, utf8);
}

std::string Narrow(std::u16string_view utf16) {
    return platform::WideToMultiByte(platform::kCodePageUtf8, utf16);
}

}  // namespace qtest
