#pragma once
// Little-endian byte cursors over a fixed buffer. Reading past the end sets a
// sticky failure flag and yields zeros, so a whole record is parsed first and
// checked once; writing appends to a string.

#include <cstddef>
#include <cstdint>
#include <string>

namespace zipformat {

class ByteCursor {
public:
    ByteCursor(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    // Next little-endian integers; 0 once the cursor has failed.
    uint16_t U16() { return uint16_t(Take(2)); }
    uint32_t U32() { return uint32_t(Take(4)); }
    // Skips count bytes; fails when fewer remain.
    void Skip(size_t count) {
        if (failed_ || size_ - pos_ < count) { failed_ = true; return; }
        pos_ += count;
    }
    // True once any read went past the end.
    bool Failed() const { return failed_; }
    size_t Position() const { return pos_; }

private:
    uint64_t Take(size_t width) {
        if (failed_ || size_ - pos_ < width) {
            failed_ = true;
            return 0;
        }
        uint64_t value = 0;
        for (size_t i = 0; i < width; ++i) value |= uint64_t(data_[pos_ + i]) << (8 * i);
        pos_ += width;
        return value;
    }

    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
    bool failed_ = false;
};

// Appends little-endian integers to a byte string.
class ByteWriter {
public:
    explicit ByteWriter(std::string& out) : out_(out) {}
    void U16(uint32_t value) { Put(value, 2); }
    void U32(uint32_t value) { Put(value, 4); }
    void Bytes(const void* data, size_t size) {
        if (size != 0) out_.append(static_cast<const char*>(data), size);
    }

private:
    void Put(uint32_t value, size_t width) {
        for (size_t i = 0; i < width; ++i) out_.push_back(char((value >> (8 * i)) & 0xFF));
    }
    std::string& out_;
};

// Patches a little-endian 16-bit value into a byte string at offset.
inline void PutU16At(std::string& out, size_t offset, uint32_t value) {
    out[offset] = char(value & 0xFF);
    out[offset + 1] = char((value >> 8) & 0xFF);
}

// Patches a little-endian 32-bit value into a byte string at offset.
inline void PutU32At(std::string& out, size_t offset, uint32_t value) {
    for (size_t i = 0; i < 4; ++i) out[offset + i] = char((value >> (8 * i)) & 0xFF);
}

}  // namespace zipformat
