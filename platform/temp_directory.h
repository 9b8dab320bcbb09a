#pragma once
// The system's temporary directory, always reported with a trailing separator.

#include <cstdint>

namespace platform {

// Two-call protocol: with a buffer too small (or none), returns the length the
// buffer needs including the terminator and copies nothing; otherwise copies
// the path and a terminator and returns the path's length without it. 0 when
// the system has no temporary directory.
uint32_t GetTempDirectory(uint32_t bufferLength, char16_t* buffer);

}  // namespace platform
