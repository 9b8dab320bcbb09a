#pragma once
// High-resolution monotonic counter.

#include <cstdint>

namespace platform {

// Current counter value in ticks.
int64_t PerformanceCounter();

// Ticks per second; never 0.
int64_t PerformanceFrequency();

}  // namespace platform
