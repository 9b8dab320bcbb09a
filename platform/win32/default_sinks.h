#pragma once
// What the diagnostics functions do on Windows when no sink is installed: the
// system's debugger output channel and a real message box.

#include <string_view>

namespace platform::win32 {

// OutputDebugStringW; silent when no debugger listens. Text stops at a NUL.
void DefaultDebugOutput(std::u16string_view text);

// MessageBoxA with no owner window and one OK button; returns once dismissed.
void DefaultMessageBox(std::string_view caption, std::string_view text);

}  // namespace platform::win32
