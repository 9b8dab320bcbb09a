// A valid project file (descriptor, deflated "header.xml", stored blob entry
// "data_1" that the document reads) with one field of its zip records
// changed: a central directory outside the file, overlapping or looping
// entries, entry counts of 0 and 0xFFFF, name and extra lengths beyond the
// file, sizes and offsets near 2^32. Each case ends with the reader's typed
// error or completes, as the zip records decide.

#include "tests/hostile/hostile_fixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

namespace {

const std::string kDocument =
    "<kor:ProjectFile><version><major>2</major></version><blobData>0 12 data_1</blobData></kor:ProjectFile>";

uint32_t Get32(const std::string& b, size_t at) {
    return uint32_t(uint8_t(b[at])) | uint32_t(uint8_t(b[at + 1])) << 8 | uint32_t(uint8_t(b[at + 2])) << 16 |
           uint32_t(uint8_t(b[at + 3])) << 24;
}
uint16_t Get16(const std::string& b, size_t at) { return uint16_t(uint8_t(b[at]) | uint8_t(b[at + 1]) << 8); }
void Put32(std::string& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + size_t(i)] = char((v >> (8 * i)) & 0xFF);
}
void Put16(std::string& b, size_t at, uint16_t v) {
    b[at] = char(v & 0xFF);
    b[at + 1] = char(v >> 8);
}

// Where the records of a file written by the writer lie.
struct Layout {
    explicit Layout(const std::string& b) {
        end = b.rfind(std::string("PK\x05\x06", 4));
        directory = Get32(b, end + 16);
        for (size_t at = directory; at < end;) {
            const std::string name = b.substr(at + 46, Get16(b, at + 28));
            central[name] = at;
            local[name] = Get32(b, at + 42);
            at += 46 + Get16(b, at + 28) + Get16(b, at + 30) + Get16(b, at + 32);
        }
    }
    size_t end = 0;        // end of central directory record
    size_t directory = 0;  // first central directory header
    std::map<std::string, size_t> central;
    std::map<std::string, size_t> local;
};

// Offsets inside the records.
constexpr size_t kEndThisDisk = 4, kEndEntriesOnDisk = 8, kEndEntriesTotal = 10, kEndSize = 12, kEndOffset = 16;
constexpr size_t kCentralFlag = 8, kCentralMethod = 10, kCentralCompressed = 20, kCentralUncompressed = 24,
                 kCentralNameLength = 28, kCentralCommentLength = 32, kCentralLocalOffset = 42;
constexpr size_t kLocalFlag = 6, kLocalMethod = 8, kLocalNameLength = 26, kLocalExtraLength = 28;

struct Case {
    const char* what;
    std::function<void(std::string&, const Layout&)> change;
    const char* outcome;
};

const Case kCases[] = {
    {"directory offset past the end of the file",
     [](std::string& b, const Layout& l) { Put32(b, l.end + kEndOffset, uint32_t(b.size() + 100)); },
     "MFileOpenRead"},
    {"directory size reaching past the end record",
     [](std::string& b, const Layout& l) { Put32(b, l.end + kEndSize, Get32(b, l.end + kEndSize) + 1000); },
     "MFileOpenRead"},
    {"directory size and offset near 2^32",
     [](std::string& b, const Layout& l) {
         Put32(b, l.end + kEndOffset, 0xFFFFFF00u);
         Put32(b, l.end + kEndSize, 0xFFu);
     },
     "MFileOpenRead"},
    // The offset moves every position by the difference, so the local
    // headers are looked for in the wrong places.
    {"directory offset pointing at the local headers",
     [](std::string& b, const Layout& l) { Put32(b, l.end + kEndOffset, 0); }, "MNotAKorProjectFile"},
    {"entry counts of 0xFFFF",
     [](std::string& b, const Layout& l) {
         Put16(b, l.end + kEndEntriesOnDisk, 0xFFFF);
         Put16(b, l.end + kEndEntriesTotal, 0xFFFF);
     },
     "completed"},
    {"entry counts of 0",
     [](std::string& b, const Layout& l) {
         Put16(b, l.end + kEndEntriesOnDisk, 0);
         Put16(b, l.end + kEndEntriesTotal, 0);
     },
     "completed"},
    {"entry counts that differ",
     [](std::string& b, const Layout& l) { Put16(b, l.end + kEndEntriesTotal, 2); }, "MFileOpenRead"},
    {"another disk", [](std::string& b, const Layout& l) { Put16(b, l.end + kEndThisDisk, 1); }, "MFileOpenRead"},
    {"central name length of header.xml beyond the file",
     [](std::string& b, const Layout& l) { Put16(b, l.central.at("header.xml") + kCentralNameLength, 0xFFFF); },
     "MNotAKorProjectFile"},
    {"central comment length of the descriptor beyond the file",
     [](std::string& b, const Layout& l) { Put16(b, l.central.at("blob_0000") + kCentralCommentLength, 0xFFFF); },
     "MNotAKorProjectFile"},
    {"local name length of header.xml beyond the file",
     [](std::string& b, const Layout& l) { Put16(b, l.local.at("header.xml") + kLocalNameLength, 0xFFFF); },
     "MNotAKorProjectFile"},
    {"local extra length of header.xml beyond the file",
     [](std::string& b, const Layout& l) { Put16(b, l.local.at("header.xml") + kLocalExtraLength, 0xFFFF); },
     "MNotAKorProjectFile"},
    {"blob entry overlapping the header's local header",
     [](std::string& b, const Layout& l) {
         Put32(b, l.central.at("data_1") + kCentralLocalOffset, uint32_t(l.local.at("header.xml")));
     },
     "zip MFileNotFound"},
    {"blob entry starting inside the header's data",
     [](std::string& b, const Layout& l) {
         Put32(b, l.central.at("data_1") + kCentralLocalOffset, uint32_t(l.local.at("header.xml") + 40));
     },
     "zip MFileNotFound"},
    {"blob entry looping back onto the central directory",
     [](std::string& b, const Layout& l) {
         Put32(b, l.central.at("data_1") + kCentralLocalOffset, uint32_t(l.directory));
     },
     "zip MFileNotFound"},
    // A descriptor that cannot be opened counts as absent: the enciphered
    // header is then read as plain text and is not XML.
    {"descriptor sharing the header's local header",
     [](std::string& b, const Layout& l) {
         Put32(b, l.central.at("blob_0000") + kCentralLocalOffset, uint32_t(l.local.at("header.xml")));
     },
     "MParse"},
    {"header compressed size near 2^32",
     [](std::string& b, const Layout& l) {
         Put32(b, l.central.at("header.xml") + kCentralCompressed, 0xFFFFFFF0u);
     },
     "MNotAKorProjectFile"},
    {"header compressed size near 2^32, local sizes deferred",
     [](std::string& b, const Layout& l) {
         Put32(b, l.central.at("header.xml") + kCentralCompressed, 0xFFFFFFF0u);
         Put16(b, l.local.at("header.xml") + kLocalFlag, 8);
         Put16(b, l.central.at("header.xml") + kCentralFlag, 8);
     },
     "MNotAKorProjectFile"},
    // The deflate stream ends where it ends; the declared size only bounds it.
    {"header uncompressed size near 2^32, local sizes deferred",
     [](std::string& b, const Layout& l) {
         Put32(b, l.central.at("header.xml") + kCentralUncompressed, 0xFFFFFFF0u);
         Put16(b, l.local.at("header.xml") + kLocalFlag, 8);
         Put16(b, l.central.at("header.xml") + kCentralFlag, 8);
     },
     "completed"},
    {"stored blob entry with both sizes near 2^32",
     [](std::string& b, const Layout& l) {
         Put32(b, l.central.at("data_1") + kCentralCompressed, 0xFFFFFFF0u);
         Put32(b, l.central.at("data_1") + kCentralUncompressed, 0xFFFFFFF0u);
         Put16(b, l.local.at("data_1") + kLocalFlag, 8);
         Put16(b, l.central.at("data_1") + kCentralFlag, 8);
     },
     "zip MFileNotFound"},
    {"header local offset near 2^32",
     [](std::string& b, const Layout& l) {
         Put32(b, l.central.at("header.xml") + kCentralLocalOffset, 0xFFFFFFF0u);
     },
     "MNotAKorProjectFile"},
    {"header method 12",
     [](std::string& b, const Layout& l) {
         Put16(b, l.central.at("header.xml") + kCentralMethod, 12);
         Put16(b, l.local.at("header.xml") + kLocalMethod, 12);
     },
     "MNotAKorProjectFile"},
    {"header deflated but declared stored",
     [](std::string& b, const Layout& l) {
         Put16(b, l.central.at("header.xml") + kCentralMethod, 0);
         Put16(b, l.local.at("header.xml") + kLocalMethod, 0);
     },
     "MNotAKorProjectFile"},
};

TEST(ZipDirectoryHostile, EachChangedFieldEndsAsTheRecordsDecide) {
    const std::string valid = hostile::WriteProject(kDocument, 1, {{"data_1", hostile::Pattern(16)}});
    const Layout layout(valid);
    ASSERT_EQ(layout.central.size(), 3u);
    ASSERT_EQ(hostile::ParseProjectBytes(valid).outcome, "completed");
    for (const Case& c : kCases) {
        std::string bytes = valid;
        c.change(bytes, layout);
        EXPECT_EQ(hostile::ParseProjectBytes(bytes).outcome, c.outcome) << c.what;
    }
}

}  // namespace
