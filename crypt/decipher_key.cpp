// The fast keyed deciphering path. Each 32-bit word goes through
//   XOR mask 1, reverse, (x - c) * A^-1, XOR mask 2, (x - c) * K'^-1,
//   XOR mask 3, reverse, (x - c) * A^-1, XOR mask 4
// with straight-line code that the compiler can vectorise; the inverses are
// exact modulo 2^32, so results equal the series-based definition bit for bit.
// Words are loaded and stored with memcpy, which makes the result the same for
// every buffer address (the defined scratch-block route gives that result too).

#include "crypt/decipher_key.h"

#include "crypt/cipher_constants.h"

#include <cstring>

namespace qcrypt {
namespace {

inline uint32_t Reverse32(uint32_t x) {
    x = (x >> 16) | (x << 16);
    x = ((x >> 8) & 0x00FF00FFu) | ((x & 0x00FF00FFu) << 8);
    x = ((x >> 4) & 0x0F0F0F0Fu) | ((x & 0x0F0F0F0Fu) << 4);
    x = ((x >> 2) & 0x33333333u) | ((x & 0x33333333u) << 2);
    x = ((x >> 1) & 0x55555555u) | ((x & 0x55555555u) << 1);
    return x;
}

inline uint32_t Reverse16(uint32_t x) { return Reverse32(x) >> 16; }
inline uint32_t Reverse8(uint32_t x) { return Reverse32(x) >> 24; }

inline uint32_t ToLittleEndian(uint32_t x) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    return __builtin_bswap32(x);
#else
    return x;
#endif
}

}  // namespace

uint32_t InverseOf(uint32_t m) {
    m |= 1u;
    // m * m == 1 (mod 8) for odd m; each Newton step doubles the correct low bits.
    uint32_t inv = m;
    for (int i = 0; i < 4; ++i) inv *= 2u - m * inv;
    return inv;
}

MDecipherKey::MDecipherKey(uint32_t key)
    : key_(key), inverseMultiplier_(InverseOf(kMultiplier)), inverseKey_(InverseOf(EffectiveKey(key))) {}

uint32_t MDecipherKey::Word32(uint32_t x) const {
    x ^= kMask1;
    x = Reverse32(x);
    x = (x - kIncrement) * inverseMultiplier_;
    x ^= kMask2;
    x = (x - kIncrement) * inverseKey_;
    x ^= kMask3;
    x = Reverse32(x);
    x = (x - kIncrement) * inverseMultiplier_;
    return x ^ kMask4;
}

// The 16- and 8-bit forms work in 32-bit unsigned arithmetic and cut the result:
// the low bits of a product depend only on the low bits of its factors, and the
// inverse modulo 2^32 is also the inverse modulo 2^16 and 2^8.
uint16_t MDecipherKey::Word16(uint16_t value) const {
    uint32_t x = value ^ (kMask1 & 0xFFFFu);
    x = Reverse16(x);
    x = ((x + kAdd16) * inverseMultiplier_) & 0xFFFFu;
    x ^= kMask2 & 0xFFFFu;
    x = ((x + kAdd16) * inverseKey_) & 0xFFFFu;
    x ^= kMask3 & 0xFFFFu;
    x = Reverse16(x);
    x = ((x + kAdd16) * inverseMultiplier_) & 0xFFFFu;
    return static_cast<uint16_t>(x ^ (kMask4 & 0xFFFFu));
}

uint8_t MDecipherKey::Word8(uint8_t value) const {
    uint32_t x = value ^ (kMask1 & 0xFFu);
    x = Reverse8(x);
    x = ((x + kAdd8) * inverseMultiplier_) & 0xFFu;
    x ^= kMask2 & 0xFFu;
    x = ((x + kAdd8) * inverseKey_) & 0xFFu;
    x ^= kMask3 & 0xFFu;
    x = Reverse8(x);
    x = ((x + kAdd8) * inverseMultiplier_) & 0xFFu;
    return static_cast<uint8_t>(x ^ (kMask4 & 0xFFu));
}

void MDecipherKey::Buffer(void* buffer, uint32_t length) const {
    unsigned char* bytes = static_cast<unsigned char*>(buffer);
    const uint32_t words = length / 4;
    // Local copies keep the loop free of loads through this (helps vectorising).
    const uint32_t ia = inverseMultiplier_;
    const uint32_t ik = inverseKey_;
    for (uint32_t i = 0; i < words; ++i) {
        uint32_t x;
        std::memcpy(&x, bytes + 4 * static_cast<size_t>(i), 4);
        x = ToLittleEndian(x);
        x ^= kMask1;
        x = Reverse32(x);
        x = (x - kIncrement) * ia;
        x ^= kMask2;
        x = (x - kIncrement) * ik;
        x ^= kMask3;
        x = Reverse32(x);
        x = (x - kIncrement) * ia;
        x ^= kMask4;
        x = ToLittleEndian(x);
        std::memcpy(bytes + 4 * static_cast<size_t>(i), &x, 4);
    }
    unsigned char* tail = bytes + 4 * static_cast<size_t>(words);
    const uint32_t rest = length % 4;
    if (rest >= 2) {
        const uint16_t v = static_cast<uint16_t>(tail[0] | (tail[1] << 8));
        const uint16_t d = Word16(v);
        tail[0] = static_cast<unsigned char>(d & 0xFFu);
        tail[1] = static_cast<unsigned char>(d >> 8);
        tail += 2;
    }
    if (rest % 2 == 1) tail[0] = Word8(tail[0]);
}

}  // namespace qcrypt
