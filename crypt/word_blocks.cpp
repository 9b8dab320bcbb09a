// Three builds of one computation. The portable loop has a fixed inner count
// of eight words with no carried state, so compilers may turn it into vector
// lanes where the target allows. On x86 two hand-written routines (SSSE3 with
// SSE4.1, and AVX2) reverse bits by nibble table lookups and a byte shuffle
// instead of the five-step swap network, and multiply 32-bit lanes directly.

#include "crypt/word_blocks.h"

#include "crypt/cipher_constants.h"
#include "crypt/word_reverse.h"

#include <cstring>

#if (defined(__GNUC__) || defined(__clang__)) && (defined(__x86_64__) || defined(__i386__))
#define QZ_CIPHER_X86 1
// GCC cannot realign the stack on 64-bit Windows, so 32-byte spills could fault there.
#if !(defined(_WIN64) && !defined(__clang__))
#define QZ_CIPHER_AVX2 1
#endif
#endif

#if defined(QZ_CIPHER_X86)
#include <immintrin.h>
#endif

namespace qcrypt {
namespace {

void BlocksPortable(unsigned char* bytes, size_t blocks, uint32_t ia, uint32_t ik) {
    for (size_t b = 0; b < blocks; ++b) {
        unsigned char* p = bytes + kBlockBytes * b;
        for (int i = 0; i < 8; ++i) {
            uint32_t x;
            std::memcpy(&x, p + 4 * i, 4);
            x = FromLittleEndian(x);
            x ^= kMask1;
            x = Reverse32(x);
            x = (x - kIncrement) * ia;
            x ^= kMask2;
            x = (x - kIncrement) * ik;
            x ^= kMask3;
            x = Reverse32(x);
            x = (x - kIncrement) * ia;
            x ^= kMask4;
            x = FromLittleEndian(x);
            std::memcpy(p + 4 * i, &x, 4);
        }
    }
}

#if defined(QZ_CIPHER_X86)
// Bit reversal of four words at once: each byte is reversed by looking up its
// two nibbles (one table gives the reversed low nibble in the high half, the
// other the reversed high nibble in the low half), then the bytes of every word
// are swapped.
__attribute__((target("ssse3,sse4.1"))) inline __m128i Reverse32x4(__m128i x) {
    const __m128i lowNibbles = _mm_set1_epi8(0x0F);
    const __m128i reversedToHigh = _mm_setr_epi8(0x00, char(0x80), 0x40, char(0xC0), 0x20, char(0xA0), 0x60, char(0xE0),
                                                 0x10, char(0x90), 0x50, char(0xD0), 0x30, char(0xB0), 0x70, char(0xF0));
    const __m128i reversedToLow = _mm_setr_epi8(0x0, 0x8, 0x4, 0xC, 0x2, 0xA, 0x6, 0xE, 0x1, 0x9, 0x5, 0xD, 0x3, 0xB, 0x7, 0xF);
    const __m128i swapBytes = _mm_setr_epi8(3, 2, 1, 0, 7, 6, 5, 4, 11, 10, 9, 8, 15, 14, 13, 12);
    const __m128i low = _mm_and_si128(x, lowNibbles);
    const __m128i high = _mm_and_si128(_mm_srli_epi16(x, 4), lowNibbles);
    const __m128i bytes = _mm_or_si128(_mm_shuffle_epi8(reversedToHigh, low), _mm_shuffle_epi8(reversedToLow, high));
    return _mm_shuffle_epi8(bytes, swapBytes);
}

__attribute__((target("ssse3,sse4.1"))) void BlocksSse41(unsigned char* bytes, size_t blocks, uint32_t ia,
                                                         uint32_t ik) {
    const __m128i mask1 = _mm_set1_epi32(int32_t(kMask1));
    const __m128i mask2 = _mm_set1_epi32(int32_t(kMask2));
    const __m128i mask3 = _mm_set1_epi32(int32_t(kMask3));
    const __m128i mask4 = _mm_set1_epi32(int32_t(kMask4));
    const __m128i increment = _mm_set1_epi32(int32_t(kIncrement));
    const __m128i inverseMultiplier = _mm_set1_epi32(int32_t(ia));
    const __m128i inverseKey = _mm_set1_epi32(int32_t(ik));
    // A block is two vectors of four words.
    for (size_t v = 0; v < 2 * blocks; ++v) {
        __m128i* p = reinterpret_cast<__m128i*>(bytes + 16 * v);
        __m128i x = _mm_loadu_si128(p);
        x = Reverse32x4(_mm_xor_si128(x, mask1));
        x = _mm_mullo_epi32(_mm_sub_epi32(x, increment), inverseMultiplier);
        x = _mm_xor_si128(x, mask2);
        x = _mm_mullo_epi32(_mm_sub_epi32(x, increment), inverseKey);
        x = Reverse32x4(_mm_xor_si128(x, mask3));
        x = _mm_mullo_epi32(_mm_sub_epi32(x, increment), inverseMultiplier);
        _mm_storeu_si128(p, _mm_xor_si128(x, mask4));
    }
}
#endif

#if defined(QZ_CIPHER_AVX2)
// Bit reversal of eight words at once: each byte is reversed by looking up its
// two nibbles (one table gives the reversed low nibble in the high half, the
// other the reversed high nibble in the low half), then the bytes of every word
// are swapped.
__attribute__((target("avx2"))) inline __m256i Reverse32x8(__m256i x) {
    const __m256i lowNibbles = _mm256_set1_epi8(0x0F);
    const __m256i reversedToHigh = _mm256_setr_epi8(
        0x00, char(0x80), 0x40, char(0xC0), 0x20, char(0xA0), 0x60, char(0xE0), 0x10, char(0x90), 0x50, char(0xD0), 0x30,
        char(0xB0), 0x70, char(0xF0), 0x00, char(0x80), 0x40, char(0xC0), 0x20, char(0xA0), 0x60, char(0xE0), 0x10,
        char(0x90), 0x50, char(0xD0), 0x30, char(0xB0), 0x70, char(0xF0));
    const __m256i reversedToLow = _mm256_setr_epi8(0x0, 0x8, 0x4, 0xC, 0x2, 0xA, 0x6, 0xE, 0x1, 0x9, 0x5, 0xD, 0x3, 0xB, 0x7,
                                                   0xF, 0x0, 0x8, 0x4, 0xC, 0x2, 0xA, 0x6, 0xE, 0x1, 0x9, 0x5, 0xD, 0x3,
                                                   0xB, 0x7, 0xF);
    const __m256i swapBytes = _mm256_setr_epi8(3, 2, 1, 0, 7, 6, 5, 4, 11, 10, 9, 8, 15, 14, 13, 12, 3, 2, 1, 0, 7, 6, 5,
                                               4, 11, 10, 9, 8, 15, 14, 13, 12);
    const __m256i low = _mm256_and_si256(x, lowNibbles);
    const __m256i high = _mm256_and_si256(_mm256_srli_epi16(x, 4), lowNibbles);
    const __m256i bytes =
        _mm256_or_si256(_mm256_shuffle_epi8(reversedToHigh, low), _mm256_shuffle_epi8(reversedToLow, high));
    return _mm256_shuffle_epi8(bytes, swapBytes);
}

__attribute__((target("avx2"))) void BlocksAvx2(unsigned char* bytes, size_t blocks, uint32_t ia, uint32_t ik) {
    const __m256i mask1 = _mm256_set1_epi32(int32_t(kMask1));
    const __m256i mask2 = _mm256_set1_epi32(int32_t(kMask2));
    const __m256i mask3 = _mm256_set1_epi32(int32_t(kMask3));
    const __m256i mask4 = _mm256_set1_epi32(int32_t(kMask4));
    const __m256i increment = _mm256_set1_epi32(int32_t(kIncrement));
    const __m256i inverseMultiplier = _mm256_set1_epi32(int32_t(ia));
    const __m256i inverseKey = _mm256_set1_epi32(int32_t(ik));
    for (size_t b = 0; b < blocks; ++b) {
        __m256i* p = reinterpret_cast<__m256i*>(bytes + kBlockBytes * b);
        __m256i x = _mm256_loadu_si256(p);
        x = Reverse32x8(_mm256_xor_si256(x, mask1));
        x = _mm256_mullo_epi32(_mm256_sub_epi32(x, increment), inverseMultiplier);
        x = _mm256_xor_si256(x, mask2);
        x = _mm256_mullo_epi32(_mm256_sub_epi32(x, increment), inverseKey);
        x = Reverse32x8(_mm256_xor_si256(x, mask3));
        x = _mm256_mullo_epi32(_mm256_sub_epi32(x, increment), inverseMultiplier);
        _mm256_storeu_si256(p, _mm256_xor_si256(x, mask4));
    }
}
#endif

struct RoutineTable {
    BlockRoutineInfo entries[3];
    size_t count = 0;

    RoutineTable() {
#if defined(QZ_CIPHER_AVX2)
        if (__builtin_cpu_supports("avx2")) entries[count++] = {"avx2", BlocksAvx2};
#endif
#if defined(QZ_CIPHER_X86)
        if (__builtin_cpu_supports("ssse3") && __builtin_cpu_supports("sse4.1")) entries[count++] = {"sse4.1", BlocksSse41};
#endif
        entries[count++] = {"portable", BlocksPortable};
    }
};

const RoutineTable& Routines() {
    static const RoutineTable table;  // built once, thread-safe
    return table;
}

}  // namespace

const BlockRoutineInfo* AvailableBlockRoutines(size_t& count) {
    count = Routines().count;
    return Routines().entries;
}

BlockRoutine SelectedBlockRoutine() {
    static const BlockRoutine selected = Routines().entries[0].routine;
    return selected;
}

}  // namespace qcrypt
