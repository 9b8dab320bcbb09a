// Enciphering undoes the deciphering steps in reverse order: the forward affine
// step p * m + c replaces the inverse step, everything else is its own inverse.

#include "tools/writer/encipher.h"

#include "crypt/cipher_constants.h"
#include "crypt/word_cipher.h"

namespace qwriter {
namespace {

using namespace qcrypt;

// One value of width w (8, 16 or 32 bits); add is the forward step's additive
// constant modulo 2^w.
uint32_t EncipherValue(uint32_t p, uint32_t key, unsigned w, uint32_t add) {
    const uint32_t mask = w == 32 ? 0xFFFFFFFFu : (1u << w) - 1u;
    const uint32_t k = EffectiveKey(key);
    p = (p ^ kMask4) & mask;
    p = (p * kMultiplier + add) & mask;
    p = ReverseBits(p, w);
    p = (p ^ kMask3) & mask;
    p = (p * k + add) & mask;
    p = (p ^ kMask2) & mask;
    p = (p * kMultiplier + add) & mask;
    p = ReverseBits(p, w);
    return (p ^ kMask1) & mask;
}

}  // namespace

uint32_t EncipherWord32(uint32_t value, uint32_t key) { return EncipherValue(value, key, 32, kIncrement); }

uint16_t EncipherWord16(uint16_t value, uint32_t key) {
    return static_cast<uint16_t>(EncipherValue(value, key, 16, 0u - kAdd16));
}

uint8_t EncipherWord8(uint8_t value, uint32_t key) {
    return static_cast<uint8_t>(EncipherValue(value, key, 8, 0u - kAdd8));
}

void EncipherBuffer(uint8_t* data, size_t length, uint32_t key) {
    size_t i = 0;
    for (; i + 4 <= length; i += 4) {
        const uint32_t v = uint32_t(data[i]) | uint32_t(data[i + 1]) << 8 | uint32_t(data[i + 2]) << 16 |
                           uint32_t(data[i + 3]) << 24;
        const uint32_t e = EncipherWord32(v, key);
        for (int b = 0; b < 4; ++b) data[i + b] = static_cast<uint8_t>(e >> (8 * b));
    }
    if (length - i >= 2) {
        const uint16_t e = EncipherWord16(static_cast<uint16_t>(data[i] | data[i + 1] << 8), key);
        data[i] = static_cast<uint8_t>(e & 0xFFu);
        data[i + 1] = static_cast<uint8_t>(e >> 8);
        i += 2;
    }
    if (i < length) data[i] = EncipherWord8(data[i], key);
}

}  // namespace qwriter
