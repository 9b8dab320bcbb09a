#pragma once
// A one-line progress report on stderr for long parses and packs. It is drawn
// only when stderr is a terminal, so logs and pipes stay clean.

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

namespace qcli {

class ProgressLine {
public:
    // Draws to stderr when it is a terminal, once the work has taken longer
    // than a quarter of a second (short runs stay silent).
    explicit ProgressLine(std::string label);
    // Draws to stream when enabled, from the first update after delay.
    ProgressLine(std::string label, std::FILE* stream, bool enabled,
                 std::chrono::milliseconds delay = std::chrono::milliseconds(0));
    // Erases the line if one was drawn.
    ~ProgressLine();
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    // Reports done of total bytes (total 0: unknown, only the count is shown).
    // Redraws only when the shown percentage or step changes.
    void Update(uint64_t done, uint64_t total, const std::string& step = {});
    // Erases the line; later updates draw it again.
    void Clear();
    bool enabled() const { return enabled_; }

private:
    std::string label_;
    std::FILE* stream_;
    bool enabled_;
    std::chrono::steady_clock::time_point showFrom_;
    size_t drawnWidth_ = 0;  // characters of the line on screen, 0 when none
    std::string lastText_;
};

}  // namespace qcli
