// Decryptor classes and CreateDecryptor: levels, descriptor acceptance, key
// handling, and that Decrypt is DecryptBuffer with the right key.

#include "crypt/decryptor_factory.h"
#include "crypt/word_cipher.h"
#include "errors/sax_error.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

std::string Descriptor(uint32_t level, uint32_t key) {
    std::string d(8, '\0');
    for (int i = 0; i < 4; ++i) {
        d[i] = static_cast<char>(level >> (8 * i));
        d[4 + i] = static_cast<char>(key >> (8 * i));
    }
    return d;
}

std::vector<unsigned char> Sample(size_t n) {
    std::mt19937 rng(11);
    std::vector<unsigned char> v(n);
    for (auto& b : v) b = static_cast<unsigned char>(rng());
    return v;
}

// Decrypt of d equals DecryptBuffer with key (or no change when key is absent).
void ExpectDeciphersWith(const ISAXDecryptor& d, const uint32_t* key) {
    const auto plain = Sample(1031);
    auto got = plain;
    EXPECT_TRUE(d.Decrypt(got.data() + 1, 1029));
    auto expected = plain;
    if (key != nullptr) DecryptBuffer(expected.data() + 1, 1029, *key);
    EXPECT_EQ(got, expected);
}

TEST(CreateDecryptor, BuildsTheClassForEachLevel) {
    auto none = CreateDecryptor(eSAXEncryptionNone);
    auto kor32 = CreateDecryptor(eSAXEncryptionKor32);
    auto fixed = CreateDecryptor(eSAXEncryptionKor32Fixed);
    EXPECT_NE(dynamic_cast<MSAXDecryptorDummy*>(none.get()), nullptr);
    EXPECT_NE(dynamic_cast<MSAXDecryptorKor32*>(kor32.get()), nullptr);
    EXPECT_EQ(dynamic_cast<MSAXDecryptorKor32Fixed*>(kor32.get()), nullptr);
    ASSERT_NE(dynamic_cast<MSAXDecryptorKor32Fixed*>(fixed.get()), nullptr);
    EXPECT_EQ(none->GetEncryptionLevel(), eSAXEncryptionNone);
    EXPECT_EQ(kor32->GetEncryptionLevel(), eSAXEncryptionKor32);
    EXPECT_EQ(fixed->GetEncryptionLevel(), eSAXEncryptionKor32Fixed);
    EXPECT_EQ(dynamic_cast<MSAXDecryptorKor32Fixed&>(*fixed).GetKey(), kFixedKey);
}

TEST(CreateDecryptor, UnknownLevelsThrow) {
    for (int32_t level : {3, -1, 4, 0x7FFFFFFF, INT32_MIN}) {
        EXPECT_THROW(CreateDecryptor(static_cast<ESAXEncryptionLevel>(level)), MSAXError::MDecryptUnknownLevel)
            << level;
    }
    try {
        CreateDecryptor(static_cast<ESAXEncryptionLevel>(3));
    } catch (const MSAXError::MDecryptUnknownLevel& e) {
        EXPECT_EQ(e.message, u"Unknown Encryption level");
    }
}

// Initialise of each class on each descriptor: accepted or not, and the key
// that Decrypt then uses (null: bytes left unchanged).
TEST(Decryptor, InitialiseAcceptsOnlyItsOwnLevel) {
    const uint32_t k = 0xC0FFEE01u;
    const uint32_t fixedKey = kFixedKey;
    struct Case {
        const char* name;
        ESAXEncryptionLevel made;
        std::string descriptor;
        bool accepted;
        const uint32_t* key;
    };
    const Case cases[] = {
        {"dummy, any bytes", eSAXEncryptionNone, "\xFF\xFF", true, nullptr},
        {"dummy, empty", eSAXEncryptionNone, "", true, nullptr},
        {"kor32, level 1", eSAXEncryptionKor32, Descriptor(1, k), true, &k},
        {"kor32, level 2 keeps key", eSAXEncryptionKor32, Descriptor(2, k), false, nullptr},
        {"kor32, level 0 keeps key", eSAXEncryptionKor32, Descriptor(0, k), false, nullptr},
        {"fixed, level 2", eSAXEncryptionKor32Fixed, Descriptor(2, k), true, &fixedKey},
        {"fixed, level 1 keeps key", eSAXEncryptionKor32Fixed, Descriptor(1, k), false, &fixedKey},
        {"fixed, level 2 without key word", eSAXEncryptionKor32Fixed, Descriptor(2, 0).substr(0, 4), true, &fixedKey},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto d = CreateDecryptor(c.made);
        EXPECT_EQ(d->Initialise(c.descriptor.data(), static_cast<uint32_t>(c.descriptor.size())), c.accepted);
        if (auto* kor = dynamic_cast<MSAXDecryptorKor32*>(d.get())) {
            if (c.made == eSAXEncryptionKor32 && !c.accepted) {
                EXPECT_EQ(kor->GetKey(), 0u);  // unchanged from construction
                continue;
            }
        }
        ExpectDeciphersWith(*d, c.key);
    }
}

TEST(Decryptor, RejectedDescriptorLeavesAcceptedKey) {
    MSAXDecryptorKor32 d;
    const std::string good = Descriptor(1, 1234567u);
    ASSERT_TRUE(d.Initialise(good.data(), 8));
    const std::string other = Descriptor(2, 99u);
    EXPECT_FALSE(d.Initialise(other.data(), 8));
    EXPECT_EQ(d.GetKey(), 1234567u);
}

// Bytes at or past the given length are never read: they count as zero.
TEST(Decryptor, ShortDescriptorReadsMissingBytesAsZero) {
    // Word 0 is 1 but the key word is cut after two bytes: key 0x0000BBAA.
    const unsigned char bytes[8] = {1, 0, 0, 0, 0xAA, 0xBB, 0xCC, 0xDD};
    MSAXDecryptorKor32 d;
    ASSERT_TRUE(d.Initialise(bytes, 6));
    EXPECT_EQ(d.GetKey(), 0x0000BBAAu);
    ASSERT_TRUE(d.Initialise(bytes, 4));
    EXPECT_EQ(d.GetKey(), 0u);
    // Three bytes 01 00 00 are word 0 = 1 with the fourth byte taken as zero.
    EXPECT_TRUE(d.Initialise(bytes, 3));
    EXPECT_FALSE(d.Initialise(bytes, 0));
    EXPECT_FALSE(d.Initialise(nullptr, 0));

    MSAXDecryptorKor32Fixed fixed(eSAXEncryptionKor32Fixed, kFixedKey);
    const unsigned char two[4] = {2, 0xFF, 0xFF, 0xFF};
    EXPECT_TRUE(fixed.Initialise(two, 1));
    EXPECT_FALSE(fixed.Initialise(two, 2));
}

TEST(Decryptor, DecryptZeroLengthAndStatelessCalls) {
    MSAXDecryptorKor32Fixed d(eSAXEncryptionKor32Fixed, kFixedKey);
    EXPECT_TRUE(d.Decrypt(nullptr, 0));
    // The same chunk deciphers the same way every time: no position is kept.
    const auto plain = Sample(4096);
    auto a = plain;
    auto b = plain;
    d.Decrypt(a.data(), 4096);
    d.Decrypt(b.data(), 4096);
    EXPECT_EQ(a, b);
}

TEST(Decryptor, FixedWithOtherLevel) {
    // The level field decides acceptance and the reported level.
    MSAXDecryptorKor32Fixed d(static_cast<ESAXEncryptionLevel>(-1), 5u);
    const std::string minusOne = Descriptor(0xFFFFFFFFu, 0);
    EXPECT_TRUE(d.Initialise(minusOne.data(), 8));
    EXPECT_EQ(d.GetEncryptionLevel(), kEncryptionLevelUnknown);
    EXPECT_EQ(d.GetKey(), 5u);
}

}  // namespace
