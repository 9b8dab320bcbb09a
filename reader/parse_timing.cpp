#include "reader/parse_timing.h"

#include "platform/perf_counter.h"

#include <charconv>
#include <system_error>

namespace qreader {

MParseTiming::MParseTiming() : _frequency(platform::PerformanceFrequency()) {}

void MParseTiming::Start() { _last = platform::PerformanceCounter(); }

float AddFloats(float a, float b) {
    // A store to a volatile float forces the rounding.
    volatile float sum = a + b;
    return sum;
}

float MParseTiming::Interval() {
    const int64_t now = platform::PerformanceCounter();
    const int64_t interval = now - _last;
    _last = now;
    volatile float milliseconds =
        static_cast<float>(static_cast<double>(interval) * 1000.0 / static_cast<double>(_frequency));
    return milliseconds;
}

std::u16string MParseTiming::Report() const {
    return FormatTimingReport(_decompressing, _decrypting, _parsing);
}

namespace {

// Appends label and value as printf's "%f" prints it (six decimals), always
// with a '.' whatever the process locale says.
void AppendField(std::u16string& out, const char* label, float value) {
    for (const char* c = label; *c != '\0'; ++c) {
        out.push_back(static_cast<char16_t>(*c));
    }
    // The largest float has 39 integer digits; 64 characters hold any value.
    char digits[64];
    const std::to_chars_result result =
        std::to_chars(digits, digits + sizeof digits, static_cast<double>(value), std::chars_format::fixed, 6);
    const char* end = result.ec == std::errc() ? result.ptr : digits;
    out.append(static_cast<const char*>(digits), end);
    out.push_back(u'\n');
}

}  // namespace

std::u16string FormatTimingReport(float decompressing, float decrypting, float parsing) {
    const float total = AddFloats(AddFloats(decompressing, decrypting), parsing);
    std::u16string report;
    report.reserve(128);
    AppendField(report, "Total:", total);
    AppendField(report, "Decompressing:", decompressing);
    AppendField(report, "Decrypting:", decrypting);
    AppendField(report, "Parsing:", parsing);
    return report;
}

}  // namespace qreader
