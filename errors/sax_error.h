#pragma once
// Errors of the project file reader and the XML event layer. Plain structures,
// thrown by value; none derives from std::exception, so a handler for standard
// exceptions catches none of them. Catch MSAXError::MGeneric to catch them all.

#include "platform/api.h"

#include <cstdint>
#include <string>

namespace MSAXError {

// Root of the family: a text and a numeric code.
struct QZ_API MGeneric {
    MGeneric(const std::u16string& message, uint32_t code);
    std::u16string message;
    uint32_t code;
};

// Base of the failures met while reading.
struct QZ_API MGenericRead : MGeneric {
    MGenericRead(const std::u16string& message, uint32_t code);
};

// Base of the failures met while writing.
struct QZ_API MGenericWrite : MGeneric {
    MGenericWrite(const std::u16string& message, uint32_t code);
};

// Thrown by a tag handler to end a parse early; the parse fills tag with the
// innermost open element on the way out (it stays as it was when none is open).
struct QZ_API MStopParsing : MGenericRead {
    MStopParsing();  // empty message, code 524
    MStopParsing(const std::u16string& message, uint32_t code);
    std::u16string tag;
};

// "Failed to open file for reading" followed directly by file (no separator), 525.
struct QZ_API MFileOpenRead : MGenericRead {
    explicit MFileOpenRead(const std::u16string& file);
};

// "Failed to open file for writing" followed directly by file, 526.
struct QZ_API MFileOpenWrite : MGenericWrite {
    explicit MFileOpenWrite(const std::u16string& file);
};

// "Not a valid project file", 527: no "header.xml", or a foreign root element.
struct QZ_API MNotAKorProjectFile : MGenericRead {
    MNotAKorProjectFile();
};

// "Internal Parsing Error", 528: the XML parser rejected the document.
struct QZ_API MParse : MGenericRead {
    MParse();
};

// "Deflating Error", 529; detail holds the container's text, never the message.
struct QZ_API MDeflate : MGenericRead {
    explicit MDeflate(const std::u16string& detail);
    std::u16string detail;
};

// "Decryption Error", 530. Offered to callers; the library never throws it.
struct QZ_API MDecrypt : MGenericRead {
    MDecrypt();
};

// "Unknown Encryption level", 531: a descriptor level the library cannot read.
struct QZ_API MDecryptUnknownLevel : MGenericRead {
    MDecryptUnknownLevel();
};

// "Couldn't open file for encrypting", 532. Offered to callers.
struct QZ_API MEncryptOpen : MGenericWrite {
    explicit MEncryptOpen(const std::u16string& detail);
    std::u16string detail;
};

// Unresolvable reference, 536; object is stored as given and never dereferenced.
struct QZ_API MMissingReference : MGenericRead {
    explicit MMissingReference(const void* object);
    const void* object;
};

// "Inflating Error", 567. Offered to callers.
struct QZ_API MInflate : MGenericWrite {
    MInflate(const std::u16string& detail, const std::u16string& detail2);
    std::u16string detail;
    std::u16string detail2;
};

// "The context of the file mismatch", 697. Offered to callers.
struct QZ_API MContentMismatch : MGenericRead {
    MContentMismatch();
};

// A file written by an incompatible version; a kind of MStopParsing, so a parse
// fills its tag too. Offered to callers.
struct QZ_API MSAXIncompatibleVersion : MStopParsing {
    MSAXIncompatibleVersion(const std::u16string& message, uint32_t code);
};

}  // namespace MSAXError
