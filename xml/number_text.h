#pragma once
// Decimal numbers read from UTF-16 text the way a wide input stream with the
// classic locale extracts them: leading white space (space, \t \n \v \f \r) is
// skipped, an optional '+' or '-' follows, then ASCII digits up to the first
// character that cannot continue the number. Whatever follows is ignored.

#include <cstdint>
#include <string_view>

namespace xml {

// True and *out set when a number in the int32 range was read; false (and
// *out untouched) when there is no digit or the value is out of range.
bool ReadInt32(std::u16string_view text, int32_t* out);

// As ReadInt32 for uint32. A '-' negates modulo 2^32 ("-2" gives 4294967294)
// as stream extraction does; the magnitude must fit in 32 bits.
bool ReadUInt32(std::u16string_view text, uint32_t* out);

}  // namespace xml
