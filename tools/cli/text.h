#pragma once
// Text and file helpers of the tool: command-line arguments arrive in the ANSI
// code page (UTF-8 unless changed), output is written as UTF-8.

#include <cstdio>
#include <string>
#include <string_view>

namespace qcli {

// UTF-16 text as UTF-8 for the terminal.
std::string Utf8(std::u16string_view text);

// A command-line argument (path or name) as UTF-16, read in the ANSI code page.
std::u16string WidenArg(std::string_view arg);

// Reads a whole file named by a command-line argument. Throws InputError when
// it cannot be opened or read.
std::string ReadWholeFile(const std::string& path);

// A failure of the tool's own input handling (a file that cannot be read, a
// header that names an unknown blob); reported with exit status 1.
struct InputError {
    std::string message;
};

// Writes bytes to a stream; false on a short write.
bool WriteAll(std::FILE* stream, std::string_view bytes);

}  // namespace qcli
