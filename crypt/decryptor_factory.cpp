#include "crypt/decryptor_factory.h"

#include "errors/sax_error.h"

std::unique_ptr<ISAXDecryptor> CreateDecryptor(ESAXEncryptionLevel level) {
    switch (level) {
    case eSAXEncryptionNone:
        return std::make_unique<MSAXDecryptorDummy>();
    case eSAXEncryptionKor32:
        return std::make_unique<MSAXDecryptorKor32>();
    case eSAXEncryptionKor32Fixed:
        return std::make_unique<MSAXDecryptorKor32Fixed>(eSAXEncryptionKor32Fixed, kFixedKey);
    }
    throw MSAXError::MDecryptUnknownLevel();
}
