// The word cipher: primitives against their defined results, the fast keyed
// path against the literal reference, grouping of lengths and tails, address
// independence, key rules, and the enciphering direction of the writer.

#include "crypt/decipher_key.h"
#include "crypt/word_blocks.h"
#include "crypt/word_cipher.h"
#include "tests/crypt/reference_cipher.h"
#include "tools/writer/encipher.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

namespace {

constexpr uint32_t kSpecialKeys[] = {0u, 1u, 2u, 1664525u, 0xFFFFFFFFu, 0xFFFFFFFEu, kFixedKey, 0x80000000u};

std::vector<unsigned char> RandomBytes(std::mt19937& rng, size_t n) {
    std::vector<unsigned char> v(n);
    for (auto& b : v) b = static_cast<unsigned char>(rng());
    return v;
}

uint32_t Le32(const unsigned char* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

TEST(ReverseBits, DefinedResults) {
    struct Case { uint32_t value; unsigned n; uint32_t expected; };
    const Case cases[] = {
        {1u, 32, 0x80000000u},
        {0x80000000u, 32, 1u},
        {0xFFFFFF01u, 8, 0x80u},       // bits above bit 7 ignored
        {0x12345601u, 8, 0x80u},
        {0xABCD0001u, 16, 0x8000u},    // bits above bit 15 ignored
        {0xBu, 4, 0xDu},
        {0xFFFFFFFFu, 0, 0u},
        {0x12345678u, 32, 0x1E6A2C48u},
        {1u, 33, 0u},                  // reversed bit shifted past bit 31
        {2u, 33, 0x80000000u},
        {0xFFFFFFFFu, 1000, 0u},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReverseBits(c.value, c.n), c.expected) << std::hex << c.value << " n=" << std::dec << c.n;
    }
}

TEST(ReverseBits, MatchesReferenceAndIsAnInvolution) {
    std::mt19937 rng(1);
    for (int i = 0; i < 20000; ++i) {
        const uint32_t x = rng();
        const unsigned n = rng() % 33;
        ASSERT_EQ(ReverseBits(x, n), reftest::ReverseBits(x, n));
        ASSERT_EQ(ReverseBits(ReverseBits(x, n), n), n == 32 ? x : x & ((1u << n) - 1u));
    }
}

TEST(MultiplyByInverse, Identities) {
    std::mt19937 rng(2);
    const uint32_t multipliers[] = {1u, 3u, 13u, 26125u, 1664525u, 0xFFFFFFFFu, kFixedKey, 0x80000001u};
    for (unsigned w : {1u, 8u, 16u, 31u, 32u}) {
        const uint32_t mask = w == 32 ? 0xFFFFFFFFu : (1u << w) - 1u;
        for (uint32_t m : multipliers) {
            EXPECT_EQ(MultiplyByInverse(0, m, w), 0u);
            for (int i = 0; i < 200; ++i) {
                const uint32_t y = rng();
                EXPECT_EQ(MultiplyByInverse(y, 1, w), y & mask);
                const uint32_t r = MultiplyByInverse(y, m, w);
                ASSERT_EQ(r & ~mask, 0u);
                ASSERT_EQ((r * m) & mask, y & mask) << "w=" << w << " m=" << m << " y=" << y;
                ASSERT_EQ(r, reftest::MultiplyByInverse(y, m, w));
            }
        }
    }
}

TEST(MultiplyByInverse, EvenMultiplierTakenAsOdd) {
    EXPECT_EQ(MultiplyByInverse(12345u, 2u, 32), MultiplyByInverse(12345u, 3u, 32));
    EXPECT_EQ(MultiplyByInverse(77u, 0u, 8), 77u);  // 0 becomes 1
}

TEST(DecipherKey, InverseOf) {
    for (uint32_t m : {1u, 3u, 1664525u, 0xFFFFFFFFu, kFixedKey}) EXPECT_EQ(m * qcrypt::InverseOf(m), 1u) << m;
}

TEST(DecryptWord, MatchesReferenceForAllWidthsAndKeys) {
    std::mt19937 rng(3);
    std::vector<uint32_t> keys(std::begin(kSpecialKeys), std::end(kSpecialKeys));
    for (int i = 0; i < 40; ++i) keys.push_back(rng());
    for (uint32_t key : keys) {
        for (int i = 0; i < 300; ++i) {
            const uint32_t x = rng();
            ASSERT_EQ(DecryptWord32(x, key), reftest::DecryptValue(x, key, 32)) << key;
            ASSERT_EQ(DecryptWord16(uint16_t(x), key), reftest::DecryptValue(x & 0xFFFFu, key, 16)) << key;
            ASSERT_EQ(DecryptWord8(uint8_t(x), key), reftest::DecryptValue(x & 0xFFu, key, 8)) << key;
        }
    }
}

// Every 8- and 16-bit value deciphers as the reference does, and enciphering
// then deciphering gives it back (the narrow widths are small enough to cover whole).
TEST(DecryptWord, NarrowWidthsExhaustive) {
    for (uint32_t key : kSpecialKeys) {
        for (uint32_t v = 0; v < 0x10000u; ++v) {
            const uint16_t d = DecryptWord16(uint16_t(v), key);
            ASSERT_EQ(d, reftest::DecryptValue(v, key, 16)) << key << " " << v;
            ASSERT_EQ(DecryptWord16(qwriter::EncipherWord16(uint16_t(v), key), key), v) << key;
        }
        for (uint32_t v = 0; v < 0x100u; ++v) {
            ASSERT_EQ(DecryptWord8(uint8_t(v), key), reftest::DecryptValue(v, key, 8)) << key << " " << v;
            ASSERT_EQ(DecryptWord8(qwriter::EncipherWord8(uint8_t(v), key), key), v) << key;
        }
    }
}

// Short lengths: which bytes change, and as which width. Guard bytes after the
// buffer must stay as they were.
TEST(DecryptBuffer, GroupingOfShortLengths) {
    const uint32_t key = 0x13572468u;
    const unsigned char plain[12] = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0xAA, 0xBB, 0xCC};
    struct Case {
        uint32_t length;
        int words;       // whole 32-bit words
        bool has16;      // a 16-bit value after them
        bool has8;       // a last byte after that
    };
    const Case cases[] = {
        {0, 0, false, false}, {1, 0, false, true}, {2, 0, true, false}, {3, 0, true, true},
        {4, 1, false, false}, {5, 1, false, true}, {7, 1, true, true},  {8, 2, false, false},
    };
    for (const Case& c : cases) {
        alignas(4) unsigned char buf[12];
        std::memcpy(buf, plain, sizeof buf);
        DecryptBuffer(buf, c.length, key);
        unsigned char expected[12];
        std::memcpy(expected, plain, sizeof expected);
        uint32_t at = 0;
        for (int w = 0; w < c.words; ++w, at += 4) {
            const uint32_t d = DecryptWord32(Le32(plain + at), key);
            for (int b = 0; b < 4; ++b) expected[at + b] = static_cast<unsigned char>(d >> (8 * b));
        }
        if (c.has16) {
            const uint16_t d = DecryptWord16(static_cast<uint16_t>(plain[at] | plain[at + 1] << 8), key);
            expected[at] = static_cast<unsigned char>(d);
            expected[at + 1] = static_cast<unsigned char>(d >> 8);
            at += 2;
        }
        if (c.has8) {
            expected[at] = DecryptWord8(plain[at], key);
            ++at;
        }
        ASSERT_EQ(at, c.length);
        EXPECT_EQ(0, std::memcmp(buf, expected, sizeof buf)) << "length " << c.length;
    }
}

TEST(DecryptBuffer, NullBufferWithZeroLength) { DecryptBuffer(nullptr, 0, 5); }

// The same bytes at every address offset decipher alike, and like the reference
// (which goes through the aligned scratch block when the address is odd).
TEST(DecryptBuffer, AddressDoesNotMatter) {
    std::mt19937 rng(4);
    for (uint32_t length : {1u, 2u, 3u, 5u, 7u, 511u, 512u, 513u, 515u, 1024u, 1027u, 4096u, 4099u}) {
        const auto plain = RandomBytes(rng, length);
        const uint32_t key = rng();
        std::vector<unsigned char> expected = plain;
        DecryptBuffer(expected.data(), length, key);  // vector data is aligned
        for (size_t offset = 0; offset < 8; ++offset) {
            std::vector<unsigned char> store(length + 16, 0xEE);
            std::memcpy(store.data() + offset, plain.data(), length);
            DecryptBuffer(store.data() + offset, length, key);
            ASSERT_EQ(0, std::memcmp(store.data() + offset, expected.data(), length))
                << "length " << length << " offset " << offset;
            for (size_t i = 0; i < store.size(); ++i) {
                if (i < offset || i >= offset + length) {
                    ASSERT_EQ(store[i], 0xEE) << "overrun at " << i;
                }
            }
            std::memcpy(store.data() + offset, plain.data(), length);
            reftest::DecryptBuffer(store.data() + offset, length, key);
            ASSERT_EQ(0, std::memcmp(store.data() + offset, expected.data(), length))
                << "reference, length " << length << " offset " << offset;
        }
    }
}

TEST(DecryptBuffer, MatchesReferenceOnRandomBuffers) {
    std::mt19937 rng(5);
    for (int round = 0; round < 300; ++round) {
        const uint32_t length = rng() % 2200;
        const size_t offset = rng() % 4;
        const uint32_t key = round < 8 ? kSpecialKeys[round] : rng();
        const auto plain = RandomBytes(rng, length + offset);
        auto fast = plain;
        auto slow = plain;
        DecryptBuffer(fast.data() + offset, length, key);
        reftest::DecryptBuffer(slow.data() + offset, length, key);
        ASSERT_EQ(fast, slow) << "length " << length << " offset " << offset << " key " << key;
    }
}

TEST(DecryptBuffer, EvenKeyEqualsKeyPlusMultiplier) {
    std::mt19937 rng(6);
    const auto plain = RandomBytes(rng, 1031);
    for (uint32_t even : {0u, 2u, 0xFFFFFFFEu, 0x80000000u, 1664524u}) {
        auto a = plain;
        auto b = plain;
        DecryptBuffer(a.data(), 1031, even);
        DecryptBuffer(b.data(), 1031, even + 1664525u);
        EXPECT_EQ(a, b) << even;
    }
    // An odd key is used as given: it differs from the key plus the multiplier.
    auto a = plain;
    auto b = plain;
    DecryptBuffer(a.data(), 1031, 7);
    DecryptBuffer(b.data(), 1031, 7 + 1664525u);
    EXPECT_NE(a, b);
}

TEST(DecryptBuffer, NoChainingBetweenGroupsOrCalls) {
    alignas(4) unsigned char buf[16] = {1, 2, 3, 4, 9, 9, 9, 9, 1, 2, 3, 4, 1, 2, 3, 4};
    DecryptBuffer(buf, sizeof buf, kFixedKey);
    EXPECT_EQ(0, std::memcmp(buf, buf + 8, 4));
    EXPECT_EQ(0, std::memcmp(buf, buf + 12, 4));

    // Chunks whose lengths are multiples of 4 decipher like the whole buffer.
    std::mt19937 rng(7);
    const auto plain = RandomBytes(rng, 10000);
    auto whole = plain;
    DecryptBuffer(whole.data(), 10000, 99);
    auto chunked = plain;
    for (uint32_t at = 0; at < 10000; at += 4096) DecryptBuffer(chunked.data() + at, std::min(4096u, 10000u - at), 99);
    EXPECT_EQ(whole, chunked);
}

// Every block routine this processor can run (not only the one selected)
// agrees with the reference, at every address offset.
TEST(DecipherKey, EveryBlockRoutineMatchesReference) {
    size_t count = 0;
    const qcrypt::BlockRoutineInfo* routines = qcrypt::AvailableBlockRoutines(count);
    ASSERT_GE(count, 1u);
    EXPECT_STREQ(routines[count - 1].name, "portable");
    EXPECT_EQ(qcrypt::SelectedBlockRoutine(), routines[0].routine);
    std::mt19937 rng(12);
    for (size_t r = 0; r < count; ++r) {
        SCOPED_TRACE(routines[r].name);
        for (int round = 0; round < 20; ++round) {
            const size_t blocks = rng() % 40;
            const size_t offset = rng() % 4;
            const uint32_t key = round < 8 ? kSpecialKeys[round] : rng();
            const auto plain = RandomBytes(rng, blocks * qcrypt::kBlockBytes + offset + 3);
            auto fast = plain;
            auto slow = plain;
            routines[r].routine(fast.data() + offset, blocks, qcrypt::InverseOf(1664525u),
                                qcrypt::InverseOf(qcrypt::EffectiveKey(key)));
            reftest::DecryptBuffer(slow.data() + offset, static_cast<uint32_t>(blocks * qcrypt::kBlockBytes), key);
            ASSERT_EQ(fast, slow) << "blocks " << blocks << " offset " << offset;
        }
    }
}

TEST(DecipherKey, MatchesOneShotFunctions) {
    std::mt19937 rng(8);
    for (uint32_t key : kSpecialKeys) {
        const qcrypt::MDecipherKey prepared(key);
        EXPECT_EQ(prepared.Key(), key);
        const auto plain = RandomBytes(rng, 777);
        auto a = plain;
        auto b = plain;
        prepared.Buffer(a.data() + 1, 775);
        DecryptBuffer(b.data() + 1, 775, key);
        EXPECT_EQ(a, b);
    }
}

TEST(Encipher, RoundTripOverLengthsKeysAndAddresses) {
    std::mt19937 rng(9);
    std::vector<uint32_t> keys(std::begin(kSpecialKeys), std::end(kSpecialKeys));
    for (int i = 0; i < 8; ++i) keys.push_back(rng());
    std::vector<uint32_t> lengths;
    for (uint32_t n = 0; n <= 70; ++n) lengths.push_back(n);
    for (uint32_t n : {511u, 512u, 513u, 1027u, 4095u, 4096u, 4097u, 9001u}) lengths.push_back(n);
    for (uint32_t key : keys) {
        for (uint32_t n : lengths) {
            const size_t offset = n % 4;
            const auto plain = RandomBytes(rng, n + offset);
            auto data = plain;
            qwriter::EncipherBuffer(data.data() + offset, n, key);
            if (n >= 4) {
                ASSERT_NE(data, plain) << "enciphering changed nothing, n=" << n;
            }
            DecryptBuffer(data.data() + offset, n, key);
            ASSERT_EQ(data, plain) << "key " << key << " length " << n;
        }
    }
}

TEST(Encipher, Word32RoundTrip) {
    std::mt19937 rng(10);
    for (uint32_t key : kSpecialKeys) {
        for (int i = 0; i < 5000; ++i) {
            const uint32_t p = rng();
            ASSERT_EQ(DecryptWord32(qwriter::EncipherWord32(p, key), key), p);
            ASSERT_EQ(qwriter::EncipherWord32(DecryptWord32(p, key), key), p);
        }
    }
}

}  // namespace
