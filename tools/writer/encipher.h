#pragma once
// The enciphering direction of the word cipher, for writing "header.xml" of
// level-1 and level-2 project files. The product library only deciphers.

#include <cstddef>
#include <cstdint>

namespace qwriter {

// Enciphers length bytes at data in place with key, grouped like the
// deciphering side (little-endian 32-bit words from the start, then a 16-bit
// and an 8-bit tail). DecryptBuffer with the same key gives the bytes back.
// A stream enciphered in pieces deciphers in the same pieces only if every
// piece but the last has a length that is a multiple of 4.
void EncipherBuffer(uint8_t* data, size_t length, uint32_t key);

// Enciphers one value of 32, 16 or 8 bits (widths 16 and 8 use the low bits
// of the effective key).
uint32_t EncipherWord32(uint32_t value, uint32_t key);
uint16_t EncipherWord16(uint16_t value, uint32_t key);
uint8_t EncipherWord8(uint8_t value, uint32_t key);

}  // namespace qwriter
