#pragma once
// Building decryptors: by level, or from a project file's encryption
// descriptor "blob_0000". The caller owns what is returned.

#include "crypt/decryptor.h"
#include "crypt/encryption_level.h"

#include <memory>

class MZipArchive;

// A new decryptor for level: 0 dummy, 1 word cipher without key yet, 2 word
// cipher with kFixedKey. Any other level (negative too) throws
// MSAXError::MDecryptUnknownLevel and builds nothing.
std::unique_ptr<ISAXDecryptor> CreateDecryptor(ESAXEncryptionLevel level);

// Reads "blob_0000" from archive (open for reading) with a single read of at
// most 1024 bytes into a cleared buffer, builds the decryptor for word 0 and
// initialises it with the bytes read. No "blob_0000": a dummy (level 0). A
// descriptor too short to hold its level (or level-1 key) reads the missing
// bytes as zero. Throws MSAXError::MDecryptUnknownLevel for a level other than
// 0, 1, 2 and passes MZipArchiveError::MDeflate from the read. The descriptor
// entry stays the archive's open entry.
std::unique_ptr<ISAXDecryptor> LoadDecryptor(MZipArchive& archive);
