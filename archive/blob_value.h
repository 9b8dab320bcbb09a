#pragma once
// The text of an element that refers to binary data: "offset size name", read
// like the wide format "%d %d %s". White space (tab, line feed, vertical tab,
// form feed, carriage return, space) before each field is skipped, numbers take
// an optional sign, and anything after the name is ignored.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Longest entry name a blob value may carry, in UTF-16 code units.
constexpr size_t kBlobValueMaxNameLength = 259;

// A blob value as read from the text.
struct MSAXBlobValue {
    int32_t offset = 0;        // first byte of the blob in the entry
    int32_t size = 0;          // number of bytes of the blob
    std::u16string entryName;  // the entry holding the bytes, as written
};

enum class ESAXBlobValueParse {
    eEmpty,      // the text is empty: the element carries no blob value
    eMalformed,  // the text holds no complete, valid blob value
    eValid,      // all three fields were read
};

// Reads a blob value; value is written only for eValid. A field that is
// missing, a number without digits or outside the signed 32-bit range, a
// negative offset or size (they name no bytes), and a name longer than
// kBlobValueMaxNameLength give eMalformed. As with the C string the format
// reads, a NUL character ends the text. Like the format, fields need no white
// space between them where a number ends ("0 16data" names "data").
ESAXBlobValueParse ParseBlobValue(std::u16string_view text, MSAXBlobValue& value);
