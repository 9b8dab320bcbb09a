// The fast deciphering path against the literal reference loop, on arbitrary
// buffers, keys and buffer addresses; also the decryptor classes built by the
// factory, chunked deciphering and descriptors of every short length.
//
// Input: key (4 bytes), address offset (1), descriptor length (1), then the
// buffer.

#include "crypt/decryptor.h"
#include "crypt/decryptor_factory.h"
#include "crypt/word_cipher.h"
#include "fuzz/fuzz_support.h"
#include "tests/crypt/reference_cipher.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr size_t kMaxBuffer = 1 << 16;

// A buffer of exactly size bytes starting offset bytes into its allocation, so
// any access outside it is caught.
struct PlacedBytes {
    PlacedBytes(std::string_view bytes, size_t offset) : storage(offset + bytes.size()), at(offset) {
        if (!bytes.empty()) std::memcpy(data(), bytes.data(), bytes.size());
    }
    unsigned char* data() { return storage.data() + at; }
    std::string str() const { return std::string(storage.begin() + long(at), storage.end()); }

    std::vector<unsigned char> storage;
    size_t at;
};

std::string Reference(std::string_view plain, uint32_t key, size_t offset) {
    PlacedBytes bytes(plain, offset);
    reftest::DecryptBuffer(bytes.data(), uint32_t(plain.size()), key);
    return bytes.str();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    qfuzz::FuzzInput input(data, size);
    const uint32_t key = input.U32();
    const size_t offset = input.Byte() % 8;
    const uint32_t descriptorLength = input.Byte() % 10;
    const std::string_view plain = input.Take(kMaxBuffer);
    const uint32_t length = uint32_t(plain.size());

    const std::string expected = Reference(plain, key, 0);
    qfuzz::Check(Reference(plain, key, 3) == expected, "reference depends on the address");

    PlacedBytes fast(plain, offset);
    DecryptBuffer(fast.data(), length, key);
    qfuzz::Check(fast.str() == expected, "DecryptBuffer differs from the reference");

    // Single values of each width.
    if (length >= 4) {
        uint32_t word;
        std::memcpy(&word, plain.data(), 4);
        qfuzz::Check(DecryptWord32(word, key) == reftest::DecryptValue(word, key, 32), "DecryptWord32");
        qfuzz::Check(DecryptWord16(uint16_t(word), key) == reftest::DecryptValue(word & 0xFFFF, key, 16),
                     "DecryptWord16");
        qfuzz::Check(DecryptWord8(uint8_t(word), key) == reftest::DecryptValue(word & 0xFF, key, 8),
                     "DecryptWord8");
        const unsigned bits = 1 + (word >> 24) % 32;
        qfuzz::Check(ReverseBits(word, bits) == reftest::ReverseBits(word, bits), "ReverseBits");
        const unsigned width = 1 + (word >> 16) % 32;
        qfuzz::Check(MultiplyByInverse(word, key | 1, width) == reftest::MultiplyByInverse(word, key | 1, width),
                     "MultiplyByInverse");
    }

    // The level-1 decryptor takes its key from the descriptor; bytes a short
    // descriptor lacks count as zero.
    unsigned char descriptorBytes[8] = {1, 0, 0, 0};
    std::memcpy(descriptorBytes + 4, &key, 4);
    std::vector<unsigned char> descriptor(descriptorBytes, descriptorBytes + descriptorLength % 9);
    std::unique_ptr<ISAXDecryptor> level1 = CreateDecryptor(eSAXEncryptionKor32);
    const bool accepted = level1->Initialise(descriptor.data(), uint32_t(descriptor.size()));
    qfuzz::Check(accepted == (descriptor.size() >= 1), "level-1 descriptor word 0");
    if (accepted) {
        unsigned char padded[8] = {};
        std::memcpy(padded, descriptor.data(), descriptor.size());
        uint32_t descriptorKey;
        std::memcpy(&descriptorKey, padded + 4, 4);
        const auto* kor32 = static_cast<const MSAXDecryptorKor32*>(level1.get());
        qfuzz::Check(kor32->GetKey() == descriptorKey, "level-1 key from a short descriptor");
        PlacedBytes viaDecryptor(plain, offset + 1);
        level1->Decrypt(viaDecryptor.data(), length);
        qfuzz::Check(viaDecryptor.str() == Reference(plain, descriptorKey, 0), "level-1 decryptor");
    }

    // The level-2 decryptor ignores the key word and uses the fixed key; the
    // reader deciphers in 4096-byte chunks, which must equal one pass.
    std::unique_ptr<ISAXDecryptor> level2 = CreateDecryptor(eSAXEncryptionKor32Fixed);
    unsigned char levelTwo[8] = {2, 0, 0, 0};
    std::memcpy(levelTwo + 4, &key, 4);
    qfuzz::Check(level2->Initialise(levelTwo, 8), "level-2 descriptor refused");
    PlacedBytes chunked(plain, offset);
    for (uint32_t at = 0; at < length; at += 4096) {
        level2->Decrypt(chunked.data() + at, std::min<uint32_t>(4096, length - at));
    }
    qfuzz::Check(chunked.str() == Reference(plain, kFixedKey, 0), "level-2 decryptor in chunks");

    // Level 0 changes nothing.
    std::unique_ptr<ISAXDecryptor> level0 = CreateDecryptor(eSAXEncryptionNone);
    PlacedBytes unchanged(plain, offset);
    level0->Decrypt(unchanged.data(), length);
    qfuzz::Check(unchanged.str() == std::string(plain), "level-0 decryptor changed bytes");
    return 0;
}
