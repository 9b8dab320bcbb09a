// Folding by carry-less multiplication: four 128-bit lanes are carried 64
// bytes forward per step, folded into one, and reduced to 32 bits by Barrett
// reduction. The constants are powers of x modulo the bit-reflected CRC-32
// polynomial (x^(4*128+32), x^(4*128-32), x^(128+32), x^(128-32), x^64 and
// the polynomial with its Barrett quotient). Bytes that do not fill a 16-byte
// block, and buffers too short to fold, go through zlib.

#include "archive/zip_crc32.h"

#include <zlib.h>

#if (defined(__GNUC__) || defined(__clang__)) && (defined(__x86_64__) || defined(__i386__))
#define QZ_CRC_CLMUL 1
#include <immintrin.h>
#endif

namespace zipformat {
namespace {

// Below this many bytes zlib's loop is as fast.
constexpr std::size_t kFoldMinimum = 64;

#if defined(QZ_CRC_CLMUL)

__attribute__((target("pclmul,sse4.1"))) inline __m128i Load(const unsigned char* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// x carried forward onto next: its low half times k's low half, its high half
// times k's high half.
__attribute__((target("pclmul,sse4.1"))) inline __m128i Fold(__m128i x, __m128i k, __m128i next) {
    return _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(x, k, 0x00), _mm_clmulepi64_si128(x, k, 0x11)), next);
}

// state is the inverted CRC; length is a multiple of 16, at least 64.
__attribute__((target("pclmul,sse4.1"))) uint32_t FoldClmul(const unsigned char* data, std::size_t length,
                                                            uint32_t state) {
    const __m128i k1k2 = _mm_set_epi64x(0x01c6e41596, 0x0154442bd4);
    const __m128i k3k4 = _mm_set_epi64x(0x00ccaa009e, 0x01751997d0);
    const __m128i k5 = _mm_set_epi64x(0, 0x0163cd6124);
    const __m128i poly = _mm_set_epi64x(0x01f7011641, 0x01db710641);
    const __m128i low32 = _mm_setr_epi32(~0, 0, ~0, 0);

    __m128i x1 = _mm_xor_si128(Load(data), _mm_cvtsi32_si128(int(state)));
    __m128i x2 = Load(data + 16);
    __m128i x3 = Load(data + 32);
    __m128i x4 = Load(data + 48);
    data += 64;
    length -= 64;
    while (length >= 64) {
        x1 = Fold(x1, k1k2, Load(data));
        x2 = Fold(x2, k1k2, Load(data + 16));
        x3 = Fold(x3, k1k2, Load(data + 32));
        x4 = Fold(x4, k1k2, Load(data + 48));
        data += 64;
        length -= 64;
    }
    x1 = Fold(x1, k3k4, x2);
    x1 = Fold(x1, k3k4, x3);
    x1 = Fold(x1, k3k4, x4);
    while (length >= 16) {
        x1 = Fold(x1, k3k4, Load(data));
        data += 16;
        length -= 16;
    }

    // 128 bits to 64, then to 32 + 32.
    __m128i x2r = _mm_clmulepi64_si128(x1, k3k4, 0x10);
    x1 = _mm_xor_si128(_mm_srli_si128(x1, 8), x2r);
    x2r = _mm_srli_si128(x1, 4);
    x1 = _mm_and_si128(x1, low32);
    x1 = _mm_xor_si128(_mm_clmulepi64_si128(x1, k5, 0x00), x2r);

    // Barrett reduction to 32 bits.
    __m128i t = _mm_and_si128(x1, low32);
    t = _mm_clmulepi64_si128(t, poly, 0x10);
    t = _mm_and_si128(t, low32);
    t = _mm_clmulepi64_si128(t, poly, 0x00);
    x1 = _mm_xor_si128(x1, t);
    return uint32_t(_mm_extract_epi32(x1, 1));
}

bool HasClmul() {
    static const bool has = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
    return has;
}

#endif

}  // namespace

uint32_t Crc32Zlib(uint32_t crc, const void* data, std::size_t length) {
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    // zlib takes a 32-bit length on some builds: hand it at most 1 GiB at once.
    constexpr std::size_t kPiece = std::size_t{1} << 30;
    while (length > 0) {
        const std::size_t piece = length < kPiece ? length : kPiece;
        crc = uint32_t(crc32(crc, bytes, uInt(piece)));
        bytes += piece;
        length -= piece;
    }
    return crc;
}

uint32_t Crc32(uint32_t crc, const void* data, std::size_t length) {
#if defined(QZ_CRC_CLMUL)
    if (length >= kFoldMinimum && HasClmul()) {
        const std::size_t folded = length & ~std::size_t{15};
        crc = ~FoldClmul(static_cast<const unsigned char*>(data), folded, ~crc);
        return Crc32Zlib(crc, static_cast<const unsigned char*>(data) + folded, length - folded);
    }
#endif
    return Crc32Zlib(crc, data, length);
}

}  // namespace zipformat
