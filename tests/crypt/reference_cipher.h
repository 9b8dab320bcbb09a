#pragma once
// A literal, slow rendering of the deciphering algorithm: the alternating
// series for every inverse, bit-by-bit reversal, and the 512-byte aligned
// scratch block for buffers at addresses that are not multiples of 4. The fast
// cipher is checked against it.

#include <cstdint>

namespace reftest {

uint32_t ReverseBits(uint32_t x, unsigned n);
uint32_t MultiplyByInverse(uint32_t y, uint32_t m, unsigned w);
// One value of width w (8, 16 or 32) deciphered with key.
uint32_t DecryptValue(uint32_t x, uint32_t key, unsigned w);
void DecryptBuffer(unsigned char* buffer, uint32_t n, uint32_t key);

}  // namespace reftest
