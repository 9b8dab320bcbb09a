#pragma once
// Helpers shared by the fuzz targets: reading parameters off the front of an
// input, a per-process scratch file for APIs that need a path, and a check
// that stops the run with a message when an invariant breaks.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qfuzz {

// Hands out the bytes of one input from the front; once they are used up,
// every value read is zero and every run is empty.
class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size)
        : data_(reinterpret_cast<const char*>(data)), size_(size) {}

    uint8_t Byte();
    uint32_t U32();
    // Up to n bytes.
    std::string_view Take(size_t n);
    // Everything not taken yet.
    std::string_view Rest();
    size_t remaining() const { return size_ - at_; }

private:
    const char* data_;
    size_t size_;
    size_t at_ = 0;
};

// A file in /dev/shm (or the system's temporary directory) named after the
// process and a tag, removed when the object is destroyed. Targets keep one
// as a function-local static and rewrite it for every input.
class ScratchFile {
public:
    explicit ScratchFile(std::string_view tag);
    ~ScratchFile();
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    const std::string& path() const { return path_; }
    const std::u16string& widePath() const { return widePath_; }
    // Replaces the file's content; aborts when it cannot be written.
    void Write(std::string_view bytes) const;

private:
    std::string path_;
    std::u16string widePath_;
};

// Aborts with "invariant broken: what" when condition is false, so that the
// fuzzer records the input as a crash.
void Check(bool condition, const char* what);

// UTF-16 from ASCII text.
std::u16string WidenAscii(std::string_view text);

}  // namespace qfuzz
