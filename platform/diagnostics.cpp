#include "platform/diagnostics.h"

#include <cstdio>
#include <utility>

#if defined(_WIN32)
#include "platform/win32/default_sinks.h"
#endif

namespace platform {
namespace {

DebugOutputSink& DebugSink() {
    static DebugOutputSink sink;
    return sink;
}

MessageBoxSink& BoxSink() {
    static MessageBoxSink sink;
    return sink;
}

}  // namespace

void OutputDebugText(std::u16string_view text) {
    if (DebugSink()) {
        DebugSink()(text);
        return;
    }
#if defined(_WIN32)
    // Windows has a real debugger channel; elsewhere the default is silence.
    win32::DefaultDebugOutput(text);
#endif
}

void ShowMessageBox(std::string_view caption, std::string_view text) {
    if (BoxSink()) {
        BoxSink()(caption, text);
        return;
    }
#if defined(_WIN32)
    win32::DefaultMessageBox(caption, text);
#else
    std::fprintf(stderr, "%.*s: %.*s\n", int(caption.size()), caption.data(), int(text.size()),
                 text.data());
#endif
}

DebugOutputSink SetDebugOutputSink(DebugOutputSink sink) {
    return std::exchange(DebugSink(), std::move(sink));
}

MessageBoxSink SetMessageBoxSink(MessageBoxSink sink) {
    return std::exchange(BoxSink(), std::move(sink));
}

}  // namespace platform
