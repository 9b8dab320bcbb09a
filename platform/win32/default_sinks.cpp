#include "platform/win32/default_sinks.h"

#include "platform/win32/wide_string.h"

#include <windows.h>

#include <string>

namespace platform::win32 {

void DefaultDebugOutput(std::u16string_view text) {
    OutputDebugStringW(ToSystem(text).c_str());
}

void DefaultMessageBox(std::string_view caption, std::string_view text) {
    std::string captionZ(caption), textZ(text);
    MessageBoxA(nullptr, textZ.c_str(), captionZ.c_str(), MB_OK);
}

}  // namespace platform::win32
