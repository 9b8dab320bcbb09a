// Blob values with hostile fields: negative, huge and past-the-end offsets and
// sizes, names of 300 characters and non-ASCII names. Every value is either
// refused (ReadValue false) or yields exactly the entry's bytes in range.

#include "tests/hostile/hostile_fixture.h"

#include "platform/code_page.h"

#include <gtest/gtest.h>

namespace {

const std::string kData = hostile::Pattern(5000);
const std::string kNonAscii = "d\xC3\xA4t\xC3\xA5";  // "dätå" in UTF-8, the default ANSI code page

struct BlobCase {
    const char* text;
    bool value;         // ReadValue's answer
    size_t offset;      // where the bytes read start in the entry
    size_t size;        // how many of them must match (the window within the entry)
};

const BlobCase kCases[] = {
    {"0 16 data_1", true, 0, 16},
    {"-1 16 data_1", false, 0, 0},
    {"16 -1 data_1", false, 0, 0},
    {"-2147483648 -2147483648 data_1", false, 0, 0},
    {"4990 100 data_1", true, 4990, 10},            // runs past the end: short
    {"5000 16 data_1", true, 5000, 0},              // at the end: nothing
    {"2147483647 2147483647 data_1", true, 5000, 0},
    {"0 2147483647 data_1", true, 0, 5000},
    {"2147483648 16 data_1", false, 0, 0},          // offset outside 32 bits
    {"99999999999999999999 16 data_1", false, 0, 0},
    {"100 +20 data_1", true, 100, 20},
    {"  \n 7\t3   data_1 trailing words", true, 7, 3},
    {"1 2", false, 0, 0},
    {"x 2 data_1", false, 0, 0},
};

TEST(BlobValueHostile, FieldsOutOfRangeAreRefusedOrReadInRange) {
    std::string document = "<kor:ProjectFile>";
    for (const BlobCase& c : kCases) document += "<blob>" + std::string(c.text) + "</blob>";
    document += "</kor:ProjectFile>";
    const hostile::ParseResult result =
        hostile::ParseProjectBytes(hostile::WriteProject(document, 0, {{"data_1", kData}}));
    ASSERT_EQ(result.outcome, "completed");
    ASSERT_EQ(result.blobs.size(), std::size(kCases));
    for (size_t i = 0; i < std::size(kCases); ++i) {
        const BlobCase& c = kCases[i];
        const hostile::BlobRead& read = result.blobs[i];
        EXPECT_EQ(read.value, c.value) << c.text;
        if (!c.value) continue;
        // Bytes beyond the window may follow (the buffer holds them), but the
        // window comes first and nothing lies outside the entry.
        EXPECT_GE(read.bytes.size(), c.size) << c.text;
        EXPECT_EQ(read.bytes, kData.substr(c.offset, read.bytes.size())) << c.text;
    }
}

TEST(BlobValueHostile, LongAndNonAsciiNames) {
    const std::string longName(300, 'n');
    const std::string name259(259, 'm');
    const std::string document = "<kor:ProjectFile>"
                                 "<blobLong>0 8 " + longName + "</blobLong>"
                                 "<blob259>0 8 " + name259 + "</blob259>"
                                 "<blobNonAscii>0 8 " + kNonAscii + "</blobNonAscii>"
                                 "</kor:ProjectFile>";
    const std::string file =
        hostile::WriteProject(document, 0, {{longName, kData}, {name259, kData}, {kNonAscii, kData}});
    const uint32_t previous = platform::SetAnsiCodePage(platform::kCodePageUtf8);
    const hostile::ParseResult result = hostile::ParseProjectBytes(file);
    platform::SetAnsiCodePage(previous);
    ASSERT_EQ(result.outcome, "completed");
    ASSERT_EQ(result.blobs.size(), 3u);
    EXPECT_FALSE(result.blobs[0].value) << "names longer than 259 characters are refused";
    ASSERT_TRUE(result.blobs[1].value);
    EXPECT_EQ(result.blobs[1].bytes.substr(0, 8), kData.substr(0, 8));
    ASSERT_TRUE(result.blobs[2].value);
    EXPECT_EQ(result.blobs[2].bytes.substr(0, 8), kData.substr(0, 8));
}

TEST(BlobValueHostile, NamesOfMissingEntriesStopTheParseTyped) {
    const struct {
        const char* name;
    } cases[] = {{"missing"}, {"data_1/../data_1"}, {"d\xC3\xA4ta_1"}};
    for (const auto& c : cases) {
        const std::string document = "<kor:ProjectFile><blob>0 8 " + std::string(c.name) + "</blob></kor:ProjectFile>";
        EXPECT_EQ(hostile::ParseProjectBytes(hostile::WriteProject(document, 0, {{"data_1", kData}})).outcome,
                  "zip MFileNotFound")
            << c.name;
    }
}

}  // namespace
