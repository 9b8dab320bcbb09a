#pragma once
// Narrow <-> UTF-16 conversion with the semantics of the system's code page
// calls given no flags: bytes that are invalid in the code page are replaced,
// never reported as a failure.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// Code page identifiers, numbered as the system numbers them.
constexpr uint32_t kCodePageAnsi = 0;         // the process-wide ANSI code page
constexpr uint32_t kCodePageThreadAnsi = 3;   // the calling thread's ANSI code page
constexpr uint32_t kCodePageWindows1252 = 1252;
constexpr uint32_t kCodePageUtf8 = 65001;

// Process-wide ANSI code page; UTF-8 unless changed (on Windows: the system's
// ANSI code page unless changed; kCodePageAnsi or kCodePageThreadAnsi given
// there returns to it). Not thread-safe to change while other threads convert.
// Returns the previous value.
uint32_t SetAnsiCodePage(uint32_t codePage);
uint32_t GetAnsiCodePage();

// Per-thread override of the thread's ANSI code page; 0 removes the override so
// the thread follows the process-wide page again. Returns the previous override.
uint32_t SetThreadAnsiCodePage(uint32_t codePage);

// Resolves kCodePageAnsi and kCodePageThreadAnsi to a concrete code page.
uint32_t ResolveCodePage(uint32_t codePage);

// True when the code page can be converted (1252 and UTF-8 always; others when
// the system's converter knows them).
bool IsCodePageSupported(uint32_t codePage);

// Widens bytes; invalid or incomplete sequences become U+FFFD (UTF-8) or the
// converter's substitute. An unsupported code page yields an empty string.
std::u16string MultiByteToWide(uint32_t codePage, std::string_view bytes);

// Narrows UTF-16; characters the code page lacks become '?' (on Windows the
// system may first substitute a similar one, its best-fit mapping), unpaired
// surrogates become U+FFFD in UTF-8. An unsupported code page yields "".
std::string WideToMultiByte(uint32_t codePage, std::u16string_view text);

// Length of the longest prefix of bytes that does not end inside an incomplete
// multi-byte character, so a streaming converter can carry the rest over to the
// next block. Equals bytes.size() for single-byte code pages.
size_t CompleteCharacterPrefix(uint32_t codePage, std::string_view bytes);

}  // namespace platform
