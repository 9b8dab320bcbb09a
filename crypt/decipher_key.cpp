// The fast keyed deciphering path. Each 32-bit word goes through
//   XOR mask 1, reverse, (x - c) * A^-1, XOR mask 2, (x - c) * K'^-1,
//   XOR mask 3, reverse, (x - c) * A^-1, XOR mask 4
// in straight-line code; the inverses are exact modulo 2^32, so results equal
// the series-based definition bit for bit. Whole 32-byte blocks go to the
// vectorised block routine, the rest word by word. Words are loaded and stored
// with memcpy, so the result is the same for every buffer address (the defined
// scratch-block route gives that result too).

#include "crypt/decipher_key.h"

#include "crypt/cipher_constants.h"
#include "crypt/word_blocks.h"
#include "crypt/word_reverse.h"

#include <cstring>

namespace qcrypt {
namespace {

inline uint32_t Reverse16(uint32_t x) { return Reverse32(x) >> 16; }
inline uint32_t Reverse8(uint32_t x) { return Reverse32(x) >> 24; }

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
    const size_t blocks = length / kBlockBytes;
    if (blocks != 0) SelectedBlockRoutine()(bytes, blocks, inverseMultiplier_, inverseKey_);
    const uint32_t words = length / 4;
    for (uint32_t i = static_cast<uint32_t>(blocks * kBlockBytes / 4); i < words; ++i) {
        unsigned char* p = bytes + 4 * static_cast<size_t>(i);
        uint32_t x;
        std::memcpy(&x, p, 4);
        x = FromLittleEndian(Word32(FromLittleEndian(x)));
        std::memcpy(p, &x, 4);
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
