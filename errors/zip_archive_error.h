#pragma once
// Errors of the zip container. They carry a text and the name of the entry
// concerned, and no code. They share no base with MSAXError; they are exported
// because some of them reach the callers of the reader unchanged.

#include "platform/api.h"

#include <string>

namespace MZipArchiveError {

// Root of the family; not thrown by itself.
struct QZ_API MGeneric {
    MGeneric(const std::u16string& message, const std::u16string& name);
    std::u16string message;
    std::u16string name;
};

// "File not Found": no such entry, or it cannot be opened.
struct QZ_API MFileNotFound : MGeneric {
    explicit MFileNotFound(const std::u16string& name);
};

// "Error while creating file": a new entry was refused.
struct QZ_API MFileNotCreated : MGeneric {
    explicit MFileNotCreated(const std::u16string& name);
};

// "Error while decompressing": reading entry data failed.
struct QZ_API MDeflate : MGeneric {
    explicit MDeflate(const std::u16string& name);
};

// "Error while compressing": writing entry data failed.
struct QZ_API MInflate : MGeneric {
    explicit MInflate(const std::u16string& name);
};

}  // namespace MZipArchiveError
