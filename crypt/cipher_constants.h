#pragma once
// Constants of the word cipher that enciphers "header.xml" of levels 1 and 2.
// Every width (32, 16, 8 bits) uses the low bits of the masks and multiplier.

#include <cstdint>

namespace qcrypt {

constexpr uint32_t kMask1 = 0x3D96A2B4;  // XORed first when deciphering
constexpr uint32_t kMask2 = 0x7B45E906;  // XORed after the first affine step
constexpr uint32_t kMask3 = 0xC268A71D;  // XORed after the key step
constexpr uint32_t kMask4 = 0x91E4C53F;  // XORed last when deciphering

constexpr uint32_t kMultiplier = 1664525;    // affine steps without key; added to even keys
constexpr uint32_t kIncrement = 1013904223;  // additive part of the 32-bit affine step
constexpr uint32_t kAdd16 = 40271;           // additive part of the 16-bit affine step
constexpr uint32_t kAdd8 = 0xA7;             // additive part of the 8-bit affine step

// Odd key actually used as multiplier: an even key gets kMultiplier added (mod 2^32).
constexpr uint32_t EffectiveKey(uint32_t key) { return (key & 1u) ? key : key + kMultiplier; }

}  // namespace qcrypt

// Built-in key of encryption level 2 (the descriptor's key word is ignored there).
constexpr uint32_t kFixedKey = 0x5A3C17E3;
