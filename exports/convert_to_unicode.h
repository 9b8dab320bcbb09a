#pragma once
// The installer's entry point that turns an ANSI text file into a UTF-16
// little-endian text file.

#include "platform/api.h"

#include <cstddef>

// Converts the file at ansiPath, read in the ANSI code page, into a UTF-16
// text file at unicodePath: FF FE, then the text with line ends written as
// CR LF (see exports/text_mode_converter.h for the text rules). An existing
// output file is overwritten whole. True when all of the input was converted
// and both files were closed. On failure shows a message box whose caption
// says what failed and whose text is the path concerned, and returns false:
//   "Can`t open ANSI file"      input missing, unreadable, a directory or null;
//   "Can`t create Unicode file" output cannot be opened or created, is null,
//                               or is the input file itself;
//   "Can`t read ANSI file"      a read of the input failed;
//   "Can`t write Unicode file"  a write to (or the closing of) the output failed.
// After a read or write failure the output keeps what was written until then.
QZ_C_API bool ConvertToUnicode(const char* ansiPath, const char* unicodePath);

namespace quenzil {

// The input is read in blocks of this many bytes.
constexpr size_t kConvertBlockSize = 64 * 1024;

}  // namespace quenzil
