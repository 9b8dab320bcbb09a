#include "platform/diagnostics.h"

#include <cstdio>
#include <utility>

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
    if (DebugSink()) DebugSink()(text);
}

void ShowMessageBox(std::string_view caption, std::string_view text) {
    if (BoxSink()) {
        BoxSink()(caption, text);
        return;
    }
    std::fprintf(stderr, "%.*s: %.*s\n", int(caption.size()), caption.data(), int(text.size()),
                 text.data());
}

DebugOutputSink SetDebugOutputSink(DebugOutputSink sink) {
    return std::exchange(DebugSink(), std::move(sink));
}

MessageBoxSink SetMessageBoxSink(MessageBoxSink sink) {
    return std::exchange(BoxSink(), std::move(sink));
}

}  // namespace platform
