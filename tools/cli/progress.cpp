#include "tools/cli/progress.h"

#include "platform/terminal.h"

#include <utility>

namespace qcli {
namespace {

std::string Amount(uint64_t bytes) {
    char text[32];
    if (bytes < 1024 * 1024)
        std::snprintf(text, sizeof text, "%.1f KiB", double(bytes) / 1024.0);
    else
        std::snprintf(text, sizeof text, "%.1f MiB", double(bytes) / (1024.0 * 1024.0));
    return text;
}

}  // namespace

ProgressLine::ProgressLine(std::string label)
    : ProgressLine(std::move(label), stderr, platform::IsTerminal(platform::StandardStream::kError),
                   std::chrono::milliseconds(250)) {}

ProgressLine::ProgressLine(std::string label, std::FILE* stream, bool enabled, std::chrono::milliseconds delay)
    : label_(std::move(label)),
      stream_(stream),
      enabled_(enabled),
      showFrom_(std::chrono::steady_clock::now() + delay) {}

ProgressLine::~ProgressLine() { Clear(); }

void ProgressLine::Update(uint64_t done, uint64_t total, const std::string& step) {
    if (!enabled_) return;
    if (drawnWidth_ == 0 && std::chrono::steady_clock::now() < showFrom_) return;
    std::string text = label_;
    if (!step.empty()) text += " " + step;
    if (total > 0) {
        const uint64_t shown = done > total ? total : done;
        text += ": " + std::to_string(shown * 100 / total) + "% of " + Amount(total);
    } else {
        text += ": " + Amount(done);
    }
    if (text == lastText_) return;
    lastText_ = text;
    // Carriage return and blanks instead of terminal escapes, so any console
    // shows it.
    std::string line = "\r" + text;
    if (text.size() < drawnWidth_) line += std::string(drawnWidth_ - text.size(), ' ');
    std::fputs(line.c_str(), stream_);
    std::fflush(stream_);
    drawnWidth_ = text.size();
}

void ProgressLine::Clear() {
    if (!enabled_ || drawnWidth_ == 0) return;
    std::fprintf(stream_, "\r%s\r", std::string(drawnWidth_, ' ').c_str());
    std::fflush(stream_);
    drawnWidth_ = 0;
    lastText_.clear();
}

}  // namespace qcli
