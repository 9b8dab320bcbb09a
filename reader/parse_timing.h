#pragma once
// Where the time of a parse goes: decompressing, deciphering and parsing the
// chunks of "header.xml", measured with the performance counter. The counter
// moves only at the three Take* points, so time spent between a parse step
// and the next read (the _OnReadBlock hook) counts as decompressing.

#include <cstdint>
#include <string>

namespace qreader {

// a + b rounded to a 32-bit float, also where the compiler would otherwise
// keep the sum in a wider register (x87).
float AddFloats(float a, float b);

class MParseTiming {
public:
    // Reads the frequency; the accumulators start at 0.
    MParseTiming();

    // Takes the counter reading the first interval starts from.
    void Start();
    // Each adds the milliseconds since the previous reading to its
    // accumulator (double interval math, summed as 32-bit floats).
    void TakeDecompressing() { _decompressing = AddFloats(_decompressing, Interval()); }
    void TakeDecrypting() { _decrypting = AddFloats(_decrypting, Interval()); }
    void TakeParsing() { _parsing = AddFloats(_parsing, Interval()); }

    float Decompressing() const { return _decompressing; }
    float Decrypting() const { return _decrypting; }
    float Parsing() const { return _parsing; }

    // "Total:%f\nDecompressing:%f\nDecrypting:%f\nParsing:%f\n" with the sum
    // of the three (as a 32-bit float) and the three accumulators.
    std::u16string Report() const;

private:
    // Milliseconds since the previous reading, rounded to a float; moves the
    // previous reading on.
    float Interval();

    int64_t _last = 0;
    int64_t _frequency;
    float _decompressing = 0.0f;
    float _decrypting = 0.0f;
    float _parsing = 0.0f;
};

// The report text for the given accumulators (exposed for tests).
std::u16string FormatTimingReport(float decompressing, float decrypting, float parsing);

}  // namespace qreader
