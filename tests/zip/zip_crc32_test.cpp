// The folding CRC-32 against zlib's: every start alignment, the lengths at the
// folding thresholds, and CRCs continued across uneven pieces.

#include "archive/zip_crc32.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <random>
#include <vector>

namespace {

std::vector<unsigned char> RandomBytes(size_t size) {
    std::mt19937 random(7);
    std::vector<unsigned char> bytes(size);
    for (unsigned char& b : bytes) b = static_cast<unsigned char>(random());
    return bytes;
}

uint32_t ZlibCrc(uint32_t crc, const unsigned char* data, size_t length) {
    return static_cast<uint32_t>(crc32(crc, data, static_cast<uInt>(length)));
}

TEST(ZipCrc32Test, MatchesZlibForEveryAlignmentAndLengthAroundTheFoldSizes) {
    const std::vector<unsigned char> bytes = RandomBytes(4096 + 64);
    // 0..15 tail bytes on either side of one, two, four and five 16-byte
    // blocks, one and two 64-byte folds, and a reader's 4096-byte chunk.
    const size_t lengths[] = {0,  1,  15, 16, 17,  31,  32,  48,  63,   64,   65,   79,
                              80, 95, 127, 128, 129, 143, 191, 192, 1000, 4095, 4096};
    for (size_t offset = 0; offset < 16; ++offset) {
        for (size_t length : lengths) {
            for (uint32_t start : {0u, 0xFFFFFFFFu, 0x12345678u}) {
                EXPECT_EQ(zipformat::Crc32(start, bytes.data() + offset, length),
                          ZlibCrc(start, bytes.data() + offset, length))
                    << "offset " << offset << ", length " << length << ", start " << start;
            }
        }
    }
}

TEST(ZipCrc32Test, ContinuedOverPiecesEqualsOneCall) {
    const std::vector<unsigned char> bytes = RandomBytes(1 << 20);
    const uint32_t whole = ZlibCrc(0, bytes.data(), bytes.size());
    EXPECT_EQ(zipformat::Crc32(0, bytes.data(), bytes.size()), whole);
    for (size_t piece : {size_t{1}, size_t{63}, size_t{4096}, size_t{65536 + 7}}) {
        uint32_t crc = 0;
        for (size_t at = 0; at < bytes.size(); at += piece)
            crc = zipformat::Crc32(crc, bytes.data() + at, std::min(piece, bytes.size() - at));
        EXPECT_EQ(crc, whole) << "pieces of " << piece;
    }
}

TEST(ZipCrc32Test, EmptyInputKeepsTheCrc) {
    EXPECT_EQ(zipformat::Crc32(0, nullptr, 0), 0u);
    EXPECT_EQ(zipformat::Crc32(0xCAFEF00Du, nullptr, 0), 0xCAFEF00Du);
    // The check value of the CRC-32 catalogue.
    EXPECT_EQ(zipformat::Crc32(0, "123456789", 9), 0xCBF43926u);
}

}  // namespace
