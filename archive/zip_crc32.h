#pragma once
// CRC-32 of the zip format (the polynomial zlib's crc32 uses), computed by
// carry-less multiplication where the processor offers it: entries are checked
// as they are read, and zlib's table-driven loop costs about as much as
// inflating the data.

#include <cstddef>
#include <cstdint>

namespace zipformat {

// The CRC-32 of length bytes at data continued from crc (0 to start), exactly
// as zlib's crc32(crc, data, length) gives it. Null data with length 0 returns
// crc. Thread-safe; allocates nothing.
uint32_t Crc32(uint32_t crc, const void* data, std::size_t length);

// The same through zlib alone, for comparison in tests and benchmarks.
uint32_t Crc32Zlib(uint32_t crc, const void* data, std::size_t length);

}  // namespace zipformat
