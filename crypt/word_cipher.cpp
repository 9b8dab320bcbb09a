// Defined-result forms of the cipher's primitives, and the one-shot entry
// points that prepare the key for a single call.

#include "crypt/word_cipher.h"

#include "crypt/decipher_key.h"

namespace {

uint32_t LowMask(unsigned w) { return w >= 32 ? 0xFFFFFFFFu : (1u << w) - 1u; }

}  // namespace

void DecryptBuffer(void* buffer, uint32_t length, uint32_t key) {
    if (length == 0) return;
    qcrypt::MDecipherKey(key).Buffer(buffer, length);
}

uint32_t DecryptWord32(uint32_t value, uint32_t key) { return qcrypt::MDecipherKey(key).Word32(value); }

uint16_t DecryptWord16(uint16_t value, uint32_t key) { return qcrypt::MDecipherKey(key).Word16(value); }

uint8_t DecryptWord8(uint8_t value, uint32_t key) { return qcrypt::MDecipherKey(key).Word8(value); }

uint32_t ReverseBits(uint32_t value, unsigned n) {
    // Past 64 steps every bit has been shifted out of r, so more steps change nothing.
    uint32_t r = 0;
    for (unsigned i = 0; i < n && i < 64; ++i) {
        r = (r << 1) | (value & 1u);
        value >>= 1;
    }
    return r;
}

uint32_t MultiplyByInverse(uint32_t value, uint32_t multiplier, unsigned w) {
    const uint32_t mask = w == 0 ? 0u : LowMask(w);
    const uint32_t evenPart = (multiplier | 1u) - 1u;
    uint32_t t = value & mask;
    uint32_t acc = 0;
    bool add = true;
    // evenPart is even, so each step adds a low zero bit to t: at most w steps.
    while (t != 0) {
        acc = add ? acc + t : acc - t;
        t = (t * evenPart) & mask;
        add = !add;
    }
    return acc & mask;
}
