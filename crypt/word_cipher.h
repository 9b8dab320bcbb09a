#pragma once
// The word cipher, deciphering direction. A buffer is cut from its start into
// little-endian 32-bit words, then a 16-bit and an 8-bit tail; every value is
// deciphered by itself (no chaining), so equal aligned groups decipher equally.
// All functions are stateless and thread-safe.

#include "crypt/cipher_constants.h"

#include <cstdint>

// Deciphers length bytes at buffer in place with key. Length 0 does nothing;
// any address gives the same result. Never fails, allocates nothing.
void DecryptBuffer(void* buffer, uint32_t length, uint32_t key);

// Deciphers one value of 32, 16 or 8 bits; widths 16 and 8 use the low bits of
// the effective (odd) key.
uint32_t DecryptWord32(uint32_t value, uint32_t key);
uint16_t DecryptWord16(uint16_t value, uint32_t key);
uint8_t DecryptWord8(uint8_t value, uint32_t key);

// The low n bits of value in reverse order; bits at and above n are ignored.
// n above 32 shifts the reversed bits left by n - 32 (high bits fall off).
uint32_t ReverseBits(uint32_t value, unsigned n);

// value times the inverse of multiplier modulo 2^w, w in 1..32, by the
// alternating series y - y(m-1) + y(m-1)^2 - ...; multiplier must be odd
// (bit 0 is forced on). Slow by design: the keyed path uses precomputed inverses.
uint32_t MultiplyByInverse(uint32_t value, uint32_t multiplier, unsigned w);
