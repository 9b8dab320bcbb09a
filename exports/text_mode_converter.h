#pragma once
// Converts a stream of narrow text in a code page to UTF-16 text, block by
// block, as a text-mode read followed by a UTF-16 text-mode write would:
//
//  - reading: CR LF becomes LF, also when the pair straddles two blocks; a
//    lone CR stays as it is;
//  - writing: every LF unit comes out as CR LF;
//  - Ctrl-Z (0x1A) is an ordinary byte and becomes U+001A. Text-mode reads
//    would end the data at it, but how much of the rest they then drop depends
//    on where the reads fall; keeping every byte is the only rule that does
//    not lose data and does not depend on the block size;
//  - a multi-byte character cut by a block boundary is carried over and
//    converted whole; an incomplete one at the very end is converted as it is
//    (the code page's substitute).
//
// For a single-byte code page the output is the same however the input is cut
// into blocks.

#include <cstdint>
#include <string>
#include <string_view>

namespace quenzil {

class TextModeConverter {
public:
    // codePage as platform::MultiByteToWide takes it (kCodePageAnsi allowed).
    explicit TextModeConverter(uint32_t codePage);

    // Takes the next block of input and appends to out the UTF-16 text that is
    // complete so far. An empty block changes nothing.
    void Convert(std::string_view block, std::u16string* out);

    // Appends what was held back at the end of the input (a final CR, an
    // incomplete character) and resets the converter for a new stream.
    void Finish(std::u16string* out);

private:
    void ConvertWork(size_t length, std::u16string* out);

    uint32_t codePage_;
    bool pendingCr_ = false;  // the last block ended with CR; the next byte decides
    std::string work_;        // carried-over bytes, then the block with CR LF folded
};

// Appends text to out with every LF unit written as CR LF.
void AppendWithCrLf(std::u16string_view text, std::u16string* out);

}  // namespace quenzil
