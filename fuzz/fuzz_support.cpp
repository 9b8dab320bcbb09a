#include "fuzz/fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include <unistd.h>

namespace qfuzz {

uint8_t FuzzInput::Byte() {
    return at_ < size_ ? static_cast<uint8_t>(data_[at_++]) : 0;
}

uint32_t FuzzInput::U32() {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value |= uint32_t(Byte()) << (8 * i);
    return value;
}

std::string_view FuzzInput::Take(size_t n) {
    const size_t count = n < size_ - at_ ? n : size_ - at_;
    std::string_view taken(data_ + at_, count);
    at_ += count;
    return taken;
}

std::string_view FuzzInput::Rest() {
    return Take(size_ - at_);
}

ScratchFile::ScratchFile(std::string_view tag) {
    std::error_code error;
    std::filesystem::path directory = "/dev/shm";
    if (!std::filesystem::is_directory(directory, error)) {
        directory = std::filesystem::temp_directory_path(error);
    }
    path_ = (directory / ("quenzil-fuzz-" + std::to_string(getpid()) + "-" + std::string(tag))).string();
    widePath_ = WidenAscii(path_);
}

ScratchFile::~ScratchFile() {
    std::remove(path_.c_str());
}

void ScratchFile::Write(std::string_view bytes) const {
    std::FILE* file = std::fopen(path_.c_str(), "wb");
    Check(file != nullptr, "scratch file cannot be created");
    const bool written = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    Check(std::fclose(file) == 0 && written, "scratch file cannot be written");
}

void Check(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

std::u16string WidenAscii(std::string_view text) {
    return std::u16string(text.begin(), text.end());
}

}  // namespace qfuzz
