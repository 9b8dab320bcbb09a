#pragma once
// The file system's spelling of a UTF-16 path (UTF-8 bytes on POSIX systems).

#include <string>
#include <string_view>

namespace platform {

// Converts a UTF-16 path; unpaired surrogates become U+FFFD. An embedded NUL
// ends the path, as it would for the system call.
std::string NativePath(std::u16string_view path);

}  // namespace platform
