#pragma once
// How "header.xml" of a project file is enciphered, as stored in word 0 of the
// encryption descriptor "blob_0000".

#include <cstdint>

enum ESAXEncryptionLevel : int32_t {
    eSAXEncryptionNone = 0,        // plain bytes
    eSAXEncryptionKor32 = 1,       // word cipher, key from the descriptor
    eSAXEncryptionKor32Fixed = 2,  // word cipher, built-in key kFixedKey
};

// Level of a reader that has not read a descriptor yet; no decryptor has it.
constexpr ESAXEncryptionLevel kEncryptionLevelUnknown = static_cast<ESAXEncryptionLevel>(-1);
