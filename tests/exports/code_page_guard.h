#pragma once
// Test helpers: a scoped ANSI code page and a scoped capture of message boxes.

#include "platform/code_page.h"
#include "platform/diagnostics.h"

#include <string>
#include <utility>
#include <vector>

namespace qtest {

class ScopedAnsiCodePage {
public:
    explicit ScopedAnsiCodePage(uint32_t codePage) : previous_(platform::SetAnsiCodePage(codePage)) {}
    ~ScopedAnsiCodePage() { platform::SetAnsiCodePage(previous_); }
    ScopedAnsiCodePage(const ScopedAnsiCodePage&) = delete;
    ScopedAnsiCodePage& operator=(const ScopedAnsiCodePage&) = delete;

private:
    uint32_t previous_;
};

// Records every message box as (caption, text) instead of showing it.
class MessageBoxCapture {
public:
    MessageBoxCapture() {
        previous_ = platform::SetMessageBoxSink([this](std::string_view caption, std::string_view text) {
            boxes.emplace_back(std::string(caption), std::string(text));
        });
    }
    ~MessageBoxCapture() { platform::SetMessageBoxSink(std::move(previous_)); }
    MessageBoxCapture(const MessageBoxCapture&) = delete;
    MessageBoxCapture& operator=(const MessageBoxCapture&) = delete;

    std::vector<std::pair<std::string, std::string>> boxes;

private:
    platform::MessageBoxSink previous_;
};

}  // namespace qtest
