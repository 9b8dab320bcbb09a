#pragma once
// The debugger output channel and message boxes. Both go to replaceable,
// process-wide sinks so that tests and tools can capture them.

#include <functional>
#include <string>
#include <string_view>

namespace platform {

using DebugOutputSink = std::function<void(std::u16string_view text)>;
using MessageBoxSink = std::function<void(std::string_view caption, std::string_view text)>;

// Sends text to the debugger output sink. Silent by default, like a system
// with no debugger attached; on Windows the default is the system's channel.
void OutputDebugText(std::u16string_view text);

// Shows a box with one OK button and returns once it is dismissed. The default
// sink writes "caption: text" to stderr; on Windows it shows a real box.
void ShowMessageBox(std::string_view caption, std::string_view text);

// Installs a sink and returns the previous one; an empty function restores the
// default. Not synchronised: install sinks before work starts.
DebugOutputSink SetDebugOutputSink(DebugOutputSink sink);
MessageBoxSink SetMessageBoxSink(MessageBoxSink sink);

}  // namespace platform
