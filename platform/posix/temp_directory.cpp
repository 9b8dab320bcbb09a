#include "platform/temp_directory.h"

#include "platform/code_page.h"

#include <cstdlib>
#include <string>

namespace platform {

uint32_t GetTempDirectory(uint32_t bufferLength, char16_t* buffer) {
    // The system's choice: $TMPDIR when it names an absolute path, else /tmp.
    const char* env = std::getenv("TMPDIR");
    std::string dir = (env != nullptr && env[0] == '/') ? env : "/tmp";
    if (dir.back() != '/') dir.push_back('/');
    std::u16string wide = MultiByteToWide(kCodePageUtf8, dir);
    uint32_t length = uint32_t(wide.size());
    if (buffer == nullptr || bufferLength <= length) return length + 1;
    wide.copy(buffer, length);
    buffer[length] = u'\0';
    return length;
}

}  // namespace platform
