#pragma once
// Decryptors: what a reader passes every chunk of "header.xml" through. A
// decryptor keeps no position between calls: each Decrypt groups its bytes from
// the start of its own buffer, so chunks other than the last must have lengths
// that are multiples of 4 to decipher like the whole stream.

#include "crypt/cipher_constants.h"
#include "crypt/decipher_key.h"
#include "crypt/encryption_level.h"

#include <cstdint>

class ISAXDecryptor {
public:
    // Decryptors are deleted through this interface.
    virtual ~ISAXDecryptor() = default;
    // Deciphers length bytes at buffer in place; always true. Length 0 does nothing.
    virtual bool Decrypt(void* buffer, uint32_t length) const = 0;
    // Takes what the decryptor needs from the descriptor bytes; true when it
    // accepts them. Reads at most the first 8 bytes and none at or past length:
    // bytes the descriptor lacks count as zero.
    virtual bool Initialise(const void* descriptor, uint32_t length) = 0;
    // The level this decryptor deciphers.
    virtual ESAXEncryptionLevel GetEncryptionLevel() const = 0;
};

// Level 0: leaves the bytes as they are and accepts any descriptor.
class MSAXDecryptorDummy : public ISAXDecryptor {
public:
    bool Decrypt(void* buffer, uint32_t length) const override;
    bool Initialise(const void* descriptor, uint32_t length) override;
    ESAXEncryptionLevel GetEncryptionLevel() const override;
};

// Level 1: the word cipher with the key from descriptor word 1.
class MSAXDecryptorKor32 : public ISAXDecryptor {
public:
    // No key yet (it reads as 0 until Initialise accepts a descriptor).
    MSAXDecryptorKor32();
    // DecryptBuffer with the key in use; always true.
    bool Decrypt(void* buffer, uint32_t length) const override;
    // Accepts a descriptor whose word 0 is 1 and takes word 1 as key; anything
    // else gives false and leaves the key as it was.
    bool Initialise(const void* descriptor, uint32_t length) override;
    ESAXEncryptionLevel GetEncryptionLevel() const override;
    // The key in use.
    uint32_t GetKey() const { return key_.Key(); }

protected:
    // Starts with key, as the fixed-key class needs.
    explicit MSAXDecryptorKor32(uint32_t key);

private:
    qcrypt::MDecipherKey key_;  // the key with its inverses prepared
};

// Level 2 (as built by CreateDecryptor): the word cipher with a key fixed at
// construction; the descriptor's key word is never used.
class MSAXDecryptorKor32Fixed : public MSAXDecryptorKor32 {
public:
    MSAXDecryptorKor32Fixed(ESAXEncryptionLevel level, uint32_t key);
    // True exactly when descriptor word 0 equals this decryptor's level; the
    // key never changes.
    bool Initialise(const void* descriptor, uint32_t length) override;
    // The level given at construction.
    ESAXEncryptionLevel GetEncryptionLevel() const override;

private:
    ESAXEncryptionLevel level_;
};

namespace qcrypt {
// Little-endian 32-bit word index (0 or 1) of a descriptor of length bytes;
// bytes past length read as zero, so a short descriptor is never over-read.
uint32_t DescriptorWord(const void* descriptor, uint32_t length, unsigned index);
}  // namespace qcrypt
