#pragma once
// A literal, slow rendering of the deciphering algorithm: the alternating
// series for every inverse, bit-by-bit reversal, and the 512-byte aligned
// scratch block for buffers at addresses that are not multiples of 4. The fast
// cipher is checked against it.

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace reftest {

inline uint32_t MultiplyByInverse(uint32_t y, uint32_t m, unsigned w);
// One value of width w (8, 16 or 32) deciphered with key.
inline uint32_t DecryptValue(uint32_t x, uint32_t key, unsigned w);

namespace detail {

inline uint32_t Cut(uint64_t v, unsigned w) { return static_cast<uint32_t>(v & ((uint64_t(1) << w) - 1)); }

inline uint32_t InverseAffine(uint32_t x, uint32_t m, unsigned w) {
    m = Cut(m | 1u, w);
    uint32_t y;
    if (w == 32) y = Cut(uint64_t(x) + (uint64_t(1) << 32) - 1013904223u, 32);
    else if (w == 16) y = Cut(uint64_t(x) + 40271u, 16);
    else y = Cut(uint64_t(x) + 0xA7u, 8);
    return MultiplyByInverse(y, m, w);
}

// Step 4 of the buffer algorithm, on bytes (little-endian whatever the host).
inline void Transform(unsigned char* b, uint32_t n, uint32_t key) {
    for (uint32_t i = 0; i < n / 4; ++i) {
        unsigned char* p = b + 4 * i;
        uint32_t v = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
        v = DecryptValue(v, key, 32);
        for (int k = 0; k < 4; ++k) p[k] = static_cast<unsigned char>(v >> (8 * k));
    }
    unsigned char* t = b + 4 * (n / 4);
    const uint32_t r = n % 4;
    if (r == 1) {
        t[0] = static_cast<unsigned char>(DecryptValue(t[0], key, 8));
    } else if (r == 2 || r == 3) {
        uint32_t v = DecryptValue(uint32_t(t[0]) | uint32_t(t[1]) << 8, key, 16);
        t[0] = static_cast<unsigned char>(v);
        t[1] = static_cast<unsigned char>(v >> 8);
        if (r == 3) t[2] = static_cast<unsigned char>(DecryptValue(t[2], key, 8));
    }
}

}  // namespace detail

inline uint32_t ReverseBits(uint32_t x, unsigned n) {
    uint32_t r = 0;
    for (unsigned i = 0; i < n; ++i) {
        r = 2 * r + (x & 1);
        x >>= 1;
    }
    return r;
}

inline uint32_t MultiplyByInverse(uint32_t y, uint32_t m, unsigned w) {
    using detail::Cut;
    uint32_t t = Cut(y, w);
    uint64_t acc = 0;
    unsigned k = 0;
    while (t != 0) {
        if (k % 2 == 0) acc += t;
        else acc -= t;
        t = Cut(uint64_t(t) * (m - 1), w);
        ++k;
    }
    return Cut(acc, w);
}

inline uint32_t DecryptValue(uint32_t x, uint32_t key, unsigned w) {
    using detail::Cut;
    using detail::InverseAffine;
    const uint32_t k = (key % 2 == 1) ? key : Cut(uint64_t(key) + 1664525u, 32);
    x = Cut(x ^ 0x3D96A2B4u, w);
    x = ReverseBits(x, w);
    x = InverseAffine(x, 1664525u, w);
    x = Cut(x ^ 0x7B45E906u, w);
    x = InverseAffine(x, k, w);
    x = Cut(x ^ 0xC268A71Du, w);
    x = ReverseBits(x, w);
    x = InverseAffine(x, 1664525u, w);
    return Cut(x ^ 0x91E4C53Fu, w);
}

inline void DecryptBuffer(unsigned char* buffer, uint32_t n, uint32_t key) {
    if (n == 0) return;
    if (reinterpret_cast<uintptr_t>(buffer) % 4 == 0) {
        detail::Transform(buffer, n, key);
        return;
    }
    alignas(4) unsigned char scratch[512];
    for (uint32_t offset = 0; offset < n; offset += 512) {
        const uint32_t size = n - offset < 512 ? n - offset : 512;
        std::memcpy(scratch, buffer + offset, size);
        detail::Transform(scratch, size, key);
        std::memcpy(buffer + offset, scratch, size);
    }
}

}  // namespace reftest
