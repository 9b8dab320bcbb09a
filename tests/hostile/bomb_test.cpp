// Deflate bombs: a "header.xml" or a blob entry that inflates to 1 GiB from
// about 1 MiB of file. Each case ends as the document decides, and the
// process's peak memory grows by far less than the inflated size.

#include "tests/hostile/hostile_fixture.h"

#include <gtest/gtest.h>

#include <iostream>

namespace {

constexpr size_t kMiB = size_t(1) << 20;
constexpr size_t kRepeat = 1024;  // 1024 copies of 1 MiB: 1 GiB inflated
// Far below the inflated size, far above what the pipeline itself needs
// (sanitizer builds keep freed memory in quarantine for a while).
constexpr size_t kMemoryBound = 192 * kMiB;

struct HeaderBomb {
    const char* what;
    const char* prefix;
    char fill;
    const char* suffix;
    const char* outcome;
    size_t elements;
};

const HeaderBomb kHeaderBombs[] = {
    // White space between elements is never read by anybody, so it is not
    // kept: the document completes.
    {"1 GiB of white space between elements", "<kor:ProjectFile><a>1</a>", ' ', "<b>2</b></kor:ProjectFile>",
     "completed", 3},
    {"1 GiB of white space after the root element", "<kor:ProjectFile><a>1</a></kor:ProjectFile>", '\n', "",
     "completed", 2},
    // The text of an element without children is held for its handler; past
    // the documented limit the parse ends.
    {"1 GiB of text in one element", "<kor:ProjectFile><text>", 'x', "</text></kor:ProjectFile>", "MParse", 1},
    // Expat holds a whole start tag; its memory budget ends the parse.
    {"1 GiB attribute value", "<kor:ProjectFile><a v=\"", 'v', "\"/></kor:ProjectFile>", "MParse", 0},
    {"1 GiB element name", "<kor:ProjectFile><a", 'n', "/></kor:ProjectFile>", "MParse", 0},
};

TEST(DeflateBomb, HeaderInflatingTo1GiBStaysBounded) {
    for (const HeaderBomb& c : kHeaderBombs) {
        const hostile::Bomb bomb = hostile::DeflateRepeated(c.prefix, std::string(kMiB, c.fill), kRepeat, c.suffix);
        const std::string file = hostile::ZipWithBombs({{"header.xml", &bomb}});
        const size_t before = hostile::PeakRssBytes();
        const hostile::ParseResult result = hostile::ParseProjectBytes(file);
        const size_t grown = hostile::PeakRssBytes() - before;
        std::cout << c.what << ": " << file.size() / 1024 << " KiB file, peak memory +" << grown / kMiB
                  << " MiB\n";
        EXPECT_EQ(result.outcome, c.outcome) << c.what;
        EXPECT_EQ(result.elements, c.elements) << c.what;
        EXPECT_LT(grown, kMemoryBound) << c.what;
    }
}

TEST(DeflateBomb, BlobEntryInflatingTo1GiBStaysBounded) {
    const hostile::Bomb bomb = hostile::DeflateRepeated("", std::string(kMiB, '\0'), kRepeat, "tail");
    const std::string document =
        "<kor:ProjectFile><blobStart>0 16 big</blobStart><blobNearEnd>1073741820 16 big</blobNearEnd>"
        "<blobPastEnd>2000000000 16 big</blobPastEnd><blobAgain>8 8 big</blobAgain></kor:ProjectFile>";
    const std::string file = hostile::ZipWithBombs({{"big", &bomb}}, {{"header.xml", document}});
    const size_t before = hostile::PeakRssBytes();
    const hostile::ParseResult result = hostile::ParseProjectBytes(file, 64 * 1024);
    const size_t grown = hostile::PeakRssBytes() - before;
    std::cout << "1 GiB blob entry: " << file.size() / 1024 << " KiB file, peak memory +" << grown / kMiB
              << " MiB\n";
    ASSERT_EQ(result.outcome, "completed");
    ASSERT_EQ(result.blobs.size(), 4u);
    EXPECT_EQ(result.blobs[0].bytes.substr(0, 16), std::string(16, '\0'));
    // The window runs 8 bytes into the 4-byte tail and stops at the end.
    EXPECT_EQ(result.blobs[1].bytes, std::string(4, '\0') + "tail");
    EXPECT_TRUE(result.blobs[2].value);
    EXPECT_EQ(result.blobs[2].bytes, "");
    // An earlier window after the end reopens the entry.
    EXPECT_EQ(result.blobs[3].bytes.substr(0, 8), std::string(8, '\0'));
    EXPECT_LT(grown, kMemoryBound);
}

}  // namespace
