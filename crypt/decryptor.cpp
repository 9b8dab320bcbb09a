#include "crypt/decryptor.h"

namespace qcrypt {

uint32_t DescriptorWord(const void* descriptor, uint32_t length, unsigned index) {
    const unsigned char* bytes = static_cast<const unsigned char*>(descriptor);
    uint32_t word = 0;
    for (uint32_t i = 0; i < 4; ++i) {
        const uint32_t at = 4 * index + i;
        if (bytes != nullptr && at < length) word |= uint32_t(bytes[at]) << (8 * i);
    }
    return word;
}

}  // namespace qcrypt

bool MSAXDecryptorDummy::Decrypt(void*, uint32_t) const { return true; }

bool MSAXDecryptorDummy::Initialise(const void*, uint32_t) { return true; }

ESAXEncryptionLevel MSAXDecryptorDummy::GetEncryptionLevel() const { return eSAXEncryptionNone; }

MSAXDecryptorKor32::MSAXDecryptorKor32() : key_(0) {}

MSAXDecryptorKor32::MSAXDecryptorKor32(uint32_t key) : key_(key) {}

bool MSAXDecryptorKor32::Decrypt(void* buffer, uint32_t length) const {
    if (length != 0) key_.Buffer(buffer, length);
    return true;
}

bool MSAXDecryptorKor32::Initialise(const void* descriptor, uint32_t length) {
    if (qcrypt::DescriptorWord(descriptor, length, 0) != uint32_t(eSAXEncryptionKor32)) return false;
    key_ = qcrypt::MDecipherKey(qcrypt::DescriptorWord(descriptor, length, 1));
    return true;
}

ESAXEncryptionLevel MSAXDecryptorKor32::GetEncryptionLevel() const { return eSAXEncryptionKor32; }

MSAXDecryptorKor32Fixed::MSAXDecryptorKor32Fixed(ESAXEncryptionLevel level, uint32_t key)
    : MSAXDecryptorKor32(key), level_(level) {}

bool MSAXDecryptorKor32Fixed::Initialise(const void* descriptor, uint32_t length) {
    return qcrypt::DescriptorWord(descriptor, length, 0) == static_cast<uint32_t>(level_);
}

ESAXEncryptionLevel MSAXDecryptorKor32Fixed::GetEncryptionLevel() const { return level_; }
