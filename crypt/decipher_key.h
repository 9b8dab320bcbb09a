#pragma once
// A key made ready for deciphering: the inverses of the cipher's multipliers
// modulo 2^32 are computed once, so deciphering a buffer costs a few
// multiplications, XORs and bit reversals per word and no loop per value.

#include <cstdint>

namespace qcrypt {

// Inverse of odd m modulo 2^32 (Newton iteration); bit 0 of m is forced on.
uint32_t InverseOf(uint32_t m);

class MDecipherKey {
public:
    // Prepares key (even keys become odd as the cipher defines).
    explicit MDecipherKey(uint32_t key = 0);

    // The key as given.
    uint32_t Key() const { return key_; }

    // Same results as DecryptWord32/16/8 with this key.
    uint32_t Word32(uint32_t value) const;
    uint16_t Word16(uint16_t value) const;
    uint8_t Word8(uint8_t value) const;

    // Same result as DecryptBuffer with this key; any address and length.
    void Buffer(void* buffer, uint32_t length) const;

private:
    uint32_t key_;
    uint32_t inverseMultiplier_;  // kMultiplier^-1 mod 2^32
    uint32_t inverseKey_;         // effective key^-1 mod 2^32
};

}  // namespace qcrypt
