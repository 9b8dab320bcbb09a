#include "platform/perf_counter.h"

#include <windows.h>

namespace platform {

int64_t PerformanceCounter() {
    LARGE_INTEGER value;
    QueryPerformanceCounter(&value);
    return value.QuadPart;
}

int64_t PerformanceFrequency() {
    LARGE_INTEGER value;
    // Cannot fail on any system that runs this code; guard the "never 0" promise anyway.
    if (!QueryPerformanceFrequency(&value) || value.QuadPart <= 0) return 1;
    return value.QuadPart;
}

}  // namespace platform
