#pragma once
// Branch-free helpers shared by the deciphering routines: a 32-bit bit
// reversal by swapping ever smaller groups (halves, bytes, nibbles, pairs,
// bits) and the little-endian view of a word loaded with memcpy.

#include <cstdint>

namespace qcrypt {

inline uint32_t Reverse32(uint32_t x) {
    x = (x >> 16) | (x << 16);
    x = ((x >> 8) & 0x00FF00FFu) | ((x & 0x00FF00FFu) << 8);
    x = ((x >> 4) & 0x0F0F0F0Fu) | ((x & 0x0F0F0F0Fu) << 4);
    x = ((x >> 2) & 0x33333333u) | ((x & 0x33333333u) << 2);
    x = ((x >> 1) & 0x55555555u) | ((x & 0x55555555u) << 1);
    return x;
}

// A word as stored in little-endian byte order, and back (its own inverse).
inline uint32_t FromLittleEndian(uint32_t x) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    return __builtin_bswap32(x);
#else
    return x;
#endif
}

}  // namespace qcrypt
