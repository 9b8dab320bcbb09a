// The record layer's reading side: finding the end record, walking the
// directory, checking local headers and delivering entry data, over archives
// assembled byte by byte.

#include "archive/zip_records.h"
#include "tests/support/temp_dir.h"
#include "tests/zip/zip_fixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>

using ziptest::RawArchive;
using ziptest::RawEntry;

namespace {

struct UnzCloser {
    void operator()(unz_archive* file) const { unzClose(file); }
};
using UnzPtr = std::unique_ptr<unz_archive, UnzCloser>;

class ZipRecordsReadTest : public ::testing::Test {
protected:
    UnzPtr OpenBytes(const std::string& bytes) {
        qtest::WriteFileBytes(dir_.File("t.zip"), bytes);
        return UnzPtr(unzOpen(dir_.WideFile("t.zip")));
    }
    UnzPtr OpenRaw(const RawArchive& raw) { return OpenBytes(ziptest::BuildZip(raw)); }

    qtest::TempDir dir_;
};

// Names of all entries in directory order.
std::vector<std::string> List(unzFile file) {
    std::vector<std::string> names;
    int status = unzGoToFirstFile(file);
    while (status == UNZ_OK) {
        char name[256];
        EXPECT_EQ(UNZ_OK, unzGetCurrentFileInfo(file, nullptr, name, sizeof name, nullptr, 0,
                                                nullptr, 0));
        names.push_back(name);
        status = unzGoToNextFile(file);
    }
    EXPECT_EQ(UNZ_END_OF_LIST_OF_FILE, status);
    return names;
}

// The current entry's content read in chunks; a negative code stops it.
std::string ReadCurrent(unzFile file, uint32_t chunk = 4096, int* last = nullptr) {
    std::string out;
    if (unzOpenCurrentFile(file) != UNZ_OK) return "<unopenable>";
    std::string buffer(chunk, '\0');
    int got;
    while ((got = unzReadCurrentFile(file, buffer.data(), chunk)) > 0) out.append(buffer, 0, size_t(got));
    if (last != nullptr) *last = got;
    return out;
}

RawArchive TwoEntries() {
    RawEntry deflated{"Deflated.txt", ziptest::SampleText(20000)};
    deflated.method = 8;
    return RawArchive({RawEntry{"stored.bin", "stored bytes"}, deflated});
}

TEST_F(ZipRecordsReadTest, SignaturesInEitherFormAndMixed) {
    for (int forms = 0; forms < 8; ++forms) {
        SCOPED_TRACE(forms);
        RawArchive raw = TwoEntries();
        raw.entries[0].alternativeLocal = forms & 1;
        raw.entries[1].alternativeCentral = forms & 2;
        raw.alternativeEnd = forms & 4;
        UnzPtr file = OpenRaw(raw);
        ASSERT_NE(nullptr, file);
        EXPECT_EQ((std::vector<std::string>{"stored.bin", "Deflated.txt"}), List(file.get()));
        unzGoToFirstFile(file.get());
        EXPECT_EQ("stored bytes", ReadCurrent(file.get()));
        unzGoToNextFile(file.get());
        EXPECT_EQ(ziptest::SampleText(20000), ReadCurrent(file.get()));
    }
    // Anything else in the first two bytes is no signature.
    std::string bytes = ziptest::BuildZip(TwoEntries());
    bytes[bytes.size() - 22] = 'X';
    EXPECT_EQ(nullptr, OpenBytes(bytes));
}

TEST_F(ZipRecordsReadTest, PrependedDataShiftsEveryOffset) {
    RawArchive raw = TwoEntries();
    raw.prefix = std::string(100, '\x50');  // 'P' bytes, to tempt the signature scan
    UnzPtr file = OpenRaw(raw);
    ASSERT_NE(nullptr, file);
    unz_file_pos position{};
    ASSERT_EQ(UNZ_OK, unzGetFilePos(file.get(), &position));
    // Positions stay relative to the start of the archive.
    const std::string plain = ziptest::BuildZip(TwoEntries());
    EXPECT_EQ(ziptest::U32At(plain, plain.size() - 6), position.pos_in_zip_directory);
    EXPECT_EQ(0u, position.num_of_file);
    EXPECT_EQ("stored bytes", ReadCurrent(file.get()));
    unzGoToNextFile(file.get());
    EXPECT_EQ(ziptest::SampleText(20000), ReadCurrent(file.get(), 999));
}

TEST_F(ZipRecordsReadTest, EndRecordSearchLimits) {
    struct Case {
        const char* what;
        size_t commentLength;
        bool opens;
    };
    const Case cases[] = {
        {"no comment", 0, true},
        {"one window", 1000, true},
        {"window boundary", 1024 - 22, true},
        {"largest found", 0xFFFF - 22, true},
        {"one byte more", 0xFFFF - 21, false},
        {"far more", 70000, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RawArchive raw = TwoEntries();
        raw.comment = std::string(c.commentLength, 'c');
        raw.commentLength = uint16_t(std::min<size_t>(c.commentLength, 0xFFFF));
        UnzPtr file = OpenRaw(raw);
        EXPECT_EQ(c.opens, file != nullptr);
        if (file) {
            EXPECT_EQ("stored bytes", ReadCurrent(file.get()));
        }
    }
    // Of two end records, the one nearer the end of the file counts.
    RawArchive first = TwoEntries();
    first.comment = "comment";
    std::string twice = ziptest::BuildZip(first);
    twice.resize(twice.size() - 7);
    RawArchive other({RawEntry{"x", "y"}});
    other.prefix = twice;
    UnzPtr file = OpenRaw(other);
    ASSERT_NE(nullptr, file);
    EXPECT_EQ(std::vector<std::string>{"x"}, List(file.get()));
}

TEST_F(ZipRecordsReadTest, InconsistentEndRecordsAreRefused) {
    struct Case {
        const char* what;
        std::function<void(RawArchive&)> change;
    };
    const Case cases[] = {
        {"entry counts differ", [](RawArchive& a) { a.entriesOnDisk = 1; }},
        {"entry counts differ the other way", [](RawArchive& a) { a.entriesTotal = 3; }},
        {"not disk 0", [](RawArchive& a) { a.thisDisk = 1; }},
        {"directory on another disk", [](RawArchive& a) { a.directoryDisk = 1; }},
        {"directory past the end record", [](RawArchive& a) { a.directoryOffset = 1000000; }},
        {"directory size past the end record", [](RawArchive& a) { a.directorySize = 0xFFFFFFF0; }},
        {"offset and size overflow 32 bits",
         [](RawArchive& a) { a.directoryOffset = a.directorySize = 0x80000000; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RawArchive raw = TwoEntries();
        c.change(raw);
        EXPECT_EQ(nullptr, OpenRaw(raw));
    }
    // Files too small to hold an archive.
    const std::string end = ziptest::BuildZip(RawArchive());
    ASSERT_EQ(22u, end.size());
    for (const std::string& bytes : {std::string(), std::string("PK\5\6"), end.substr(0, 21), end})
        EXPECT_EQ(nullptr, OpenBytes(bytes)) << bytes.size();
    // Anything before the end record makes it count.
    EXPECT_NE(nullptr, OpenBytes("x" + end));
}

TEST_F(ZipRecordsReadTest, DirectoryWalk) {
    // After the last entry the walk reports the end, and nothing is current.
    UnzPtr file = OpenRaw(TwoEntries());
    ASSERT_NE(nullptr, file);
    EXPECT_EQ(UNZ_OK, unzGoToNextFile(file.get()));
    EXPECT_EQ(UNZ_END_OF_LIST_OF_FILE, unzGoToNextFile(file.get()));
    unz_file_pos position{};
    EXPECT_EQ(UNZ_OK, unzGetFilePos(file.get(), &position));
    EXPECT_EQ(1u, position.num_of_file);

    // An entry count of 0xFFFF walks on until a header cannot be read.
    RawArchive many = TwoEntries();
    many.entriesOnDisk = many.entriesTotal = 0xFFFF;
    file = OpenRaw(many);
    ASSERT_NE(nullptr, file);
    EXPECT_EQ(UNZ_OK, unzGoToNextFile(file.get()));
    EXPECT_EQ(UNZ_BADZIPFILE, unzGoToNextFile(file.get()));
    EXPECT_EQ(UNZ_END_OF_LIST_OF_FILE, unzGetFilePos(file.get(), &position));
    EXPECT_EQ(UNZ_END_OF_LIST_OF_FILE, unzGoToNextFile(file.get()));
    EXPECT_EQ(UNZ_PARAMERROR, unzOpenCurrentFile(file.get()));
    EXPECT_EQ(UNZ_END_OF_LIST_OF_FILE,
              unzGetCurrentFileInfo(file.get(), nullptr, nullptr, 0, nullptr, 0, nullptr, 0));
    EXPECT_EQ(UNZ_OK, unzGoToFirstFile(file.get()));

    // A directory whose first header is broken has no current entry.
    std::string bytes = ziptest::BuildZip(TwoEntries());
    const size_t directory = ziptest::U32At(bytes, bytes.size() - 6);
    bytes[directory + 2] = 9;
    file = OpenBytes(bytes);
    ASSERT_NE(nullptr, file);
    EXPECT_EQ(UNZ_END_OF_LIST_OF_FILE, unzGetFilePos(file.get(), &position));
    EXPECT_EQ(UNZ_BADZIPFILE, unzGoToFirstFile(file.get()));

    // A header whose name runs past the directory cannot be read.
    bytes = ziptest::BuildZip(TwoEntries());
    bytes[directory + 28] = char(0xFF);
    file = OpenBytes(bytes);
    ASSERT_NE(nullptr, file);
    EXPECT_EQ(UNZ_BADZIPFILE, unzGoToFirstFile(file.get()));

    // Null handles.
    EXPECT_EQ(UNZ_PARAMERROR, unzClose(nullptr));
    EXPECT_EQ(UNZ_PARAMERROR, unzGoToFirstFile(nullptr));
    EXPECT_EQ(UNZ_PARAMERROR, unzReadCurrentFile(nullptr, nullptr, 1));
    EXPECT_EQ(UNZ_PARAMERROR, unzeof(nullptr));
}

TEST_F(ZipRecordsReadTest, LocalHeaderChecksOnOpen) {
    struct Case {
        const char* what;
        std::function<void(RawEntry&)> change;
        int expected;
    };
    const Case cases[] = {
        {"consistent", [](RawEntry&) {}, UNZ_OK},
        {"local method differs", [](RawEntry& e) { e.localMethod = 0; }, UNZ_BADZIPFILE},
        {"method 12 in both", [](RawEntry& e) { e.method = 12; }, UNZ_BADZIPFILE},
        {"local CRC differs", [](RawEntry& e) { e.localCrc = 1; }, UNZ_BADZIPFILE},
        {"local size differs", [](RawEntry& e) { e.localCompressedSize = 5; }, UNZ_BADZIPFILE},
        {"sizes not compared with flag bit 3",
         [](RawEntry& e) { e.flag = 8; e.localCrc = 0; e.localCompressedSize = 0; }, UNZ_OK},
        {"local name length differs", [](RawEntry& e) { e.localName = "deflated.txt2"; }, UNZ_BADZIPFILE},
        {"local name differs in content only", [](RawEntry& e) { e.localName = "DEFLATED.TXT"; }, UNZ_OK},
        {"local extra field skipped", [](RawEntry& e) { e.localExtra = std::string(300, 'e'); }, UNZ_OK},
        {"large local extra field skipped", [](RawEntry& e) { e.localExtra = std::string(40000, 'e'); }, UNZ_OK},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RawArchive raw = TwoEntries();
        c.change(raw.entries[1]);
        UnzPtr file = OpenRaw(raw);
        ASSERT_NE(nullptr, file);
        ASSERT_EQ(UNZ_OK, unzGoToNextFile(file.get()));
        ASSERT_EQ(c.expected, unzOpenCurrentFile(file.get()));
        if (c.expected == UNZ_OK) {
            EXPECT_EQ(ziptest::SampleText(20000), ReadCurrent(file.get()));
        }
    }
}

TEST_F(ZipRecordsReadTest, EntryRangesAreCheckedAgainstTheFile) {
    struct Case {
        const char* what;
        size_t offset;     // in the first central header
        std::string value; // bytes written there
    };
    // Central header fields of the first entry: sizes at 20/24, local offset at 42.
    const Case cases[] = {
        {"local header past the end", 42, std::string("\x00\x00\x01\x00", 4)},
        {"local header at the end record", 42, std::string("\xF0\xFF\xFF\xFF", 4)},
        {"stored sizes that differ", 24, std::string("\x0B\x00\x00\x00", 4)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string bytes = ziptest::BuildZip(TwoEntries());
        const size_t directory = ziptest::U32At(bytes, bytes.size() - 6);
        bytes.replace(directory + c.offset, c.value.size(), c.value);
        UnzPtr file = OpenBytes(bytes);
        ASSERT_NE(nullptr, file);
        EXPECT_EQ(UNZ_BADZIPFILE, unzOpenCurrentFile(file.get()));
    }
    // Compressed data claimed to run past the end record.
    RawEntry huge{"huge", "abc"};
    huge.flag = 8;
    huge.compressed = "abc";
    RawArchive raw({huge});
    std::string bytes = ziptest::BuildZip(raw);
    const size_t directory = ziptest::U32At(bytes, bytes.size() - 6);
    bytes.replace(directory + 20, 4, std::string("\xFF\xFF\x00\x00", 4));
    bytes.replace(directory + 24, 4, std::string("\xFF\xFF\x00\x00", 4));
    UnzPtr file = OpenBytes(bytes);
    ASSERT_NE(nullptr, file);
    EXPECT_EQ(UNZ_BADZIPFILE, unzOpenCurrentFile(file.get()));
}

TEST_F(ZipRecordsReadTest, CrcIsCheckedOnlyForFullyReadEntries) {
    RawEntry altered{"s", "stored data that was altered"};
    altered.crc = ziptest::Crc32("stored data that was ALTERED");
    RawEntry deflated{"d", ziptest::SampleText(5000)};
    deflated.method = 8;
    deflated.crc = 0;
    for (const RawEntry& entry : {altered, deflated}) {
        SCOPED_TRACE(entry.name);
        UnzPtr file = OpenRaw(RawArchive({entry}));
        ASSERT_NE(nullptr, file);
        EXPECT_EQ(entry.data, ReadCurrent(file.get()));
        EXPECT_EQ(1, unzeof(file.get()));
        EXPECT_EQ(UNZ_CRCERROR, unzCloseCurrentFile(file.get()));
        EXPECT_EQ(UNZ_PARAMERROR, unzCloseCurrentFile(file.get()));
        ASSERT_EQ(UNZ_OK, unzOpenCurrentFile(file.get()));
        char buffer[10];
        EXPECT_EQ(10, unzReadCurrentFile(file.get(), buffer, 10));
        EXPECT_EQ(0, unzeof(file.get()));
        EXPECT_EQ(UNZ_OK, unzCloseCurrentFile(file.get()));
    }
}

TEST_F(ZipRecordsReadTest, DamagedDeflateStreamsEndWithAnError) {
    const std::string text = ziptest::SampleText(100000);
    const std::string stream = ziptest::DeflateRaw(text);
    struct Case {
        const char* what;
        std::string compressed;
        int last;          // the result that ends the reading
        bool whole;        // all of text delivered first
    };
    std::string flipped = stream;
    flipped[stream.size() / 2] ^= 0x55;
    const Case cases[] = {
        {"sound", stream, 0, true},
        {"cut in half", stream.substr(0, stream.size() / 2), -3, false},
        {"invalid block type", std::string("\xff\xff\xff\xff", 4), -3, false},
        {"corrupted in the middle", flipped, -3, false},
        {"empty", std::string(), -3, false},
        {"trailing garbage after the stream", stream + "garbage", 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RawEntry entry{"e", text};
        entry.method = 8;
        entry.compressed = c.compressed;
        UnzPtr file = OpenRaw(RawArchive({entry}));
        ASSERT_NE(nullptr, file);
        int last = 1;
        const std::string got = ReadCurrent(file.get(), 4096, &last);
        EXPECT_EQ(c.whole, got == text);
        // A corruption may also make the stream end early without an error.
        if (c.compressed == flipped && last == 0) continue;
        EXPECT_EQ(c.last, last);
        if (c.compressed != flipped) {
            EXPECT_EQ(text.substr(0, got.size()), got);
        }
    }
    // A stream that ends before the size the directory claims: reading stops,
    // the entry never reaches its end.
    RawEntry longer{"e", "short"};
    longer.method = 8;
    longer.centralUncompressedSize = 1000000;
    longer.flag = 8;
    UnzPtr file = OpenRaw(RawArchive({longer}));
    ASSERT_NE(nullptr, file);
    EXPECT_EQ("short", ReadCurrent(file.get()));
    EXPECT_EQ(0, unzeof(file.get()));
    char c;
    EXPECT_EQ(0, unzReadCurrentFile(file.get(), &c, 1));
}

TEST_F(ZipRecordsReadTest, ChunkSizesMixFreely) {
    // Small reads are served from blocks inflated ahead, large ones inflate in
    // place; switching between them must keep every byte in order.
    const std::string text = ziptest::SampleText(700000, 4);
    RawEntry entry{"e", text};
    entry.method = 8;
    UnzPtr file = OpenRaw(RawArchive({entry}));
    ASSERT_NE(nullptr, file);
    ASSERT_EQ(UNZ_OK, unzOpenCurrentFile(file.get()));
    const uint32_t sizes[] = {1, 4096, 65536, 70000, 3, 131072, 65535, 65537};
    std::string got;
    std::string buffer(131072, '\0');
    for (size_t i = 0; got.size() < text.size(); ++i) {
        const uint32_t size = sizes[i % 8];
        const int n = unzReadCurrentFile(file.get(), buffer.data(), size);
        ASSERT_GT(n, 0);
        // Every request is filled unless the entry ends.
        EXPECT_EQ(std::min<size_t>(size, text.size() - got.size()), size_t(n));
        got.append(buffer, 0, size_t(n));
    }
    EXPECT_EQ(text, got);
    EXPECT_EQ(1, unzeof(file.get()));
    EXPECT_EQ(0, unzReadCurrentFile(file.get(), buffer.data(), 10));
    EXPECT_EQ(UNZ_OK, unzCloseCurrentFile(file.get()));
}

TEST_F(ZipRecordsReadTest, LongNamesAreCopiedWithinTheBuffer) {
    const std::string name255(255, 'n'), name256(256, 'm'), name300(300, 'o');
    UnzPtr file = OpenRaw(RawArchive({{name255, "a"}, {name256, "b"}, {name300, "c"}}));
    ASSERT_NE(nullptr, file);
    struct Case {
        const std::string& name;
        bool terminated;
    };
    for (const Case& c : {Case{name255, true}, Case{name256, false}, Case{name300, false}}) {
        char buffer[257];
        std::memset(buffer, '#', sizeof buffer);
        unz_file_info info{};
        ASSERT_EQ(UNZ_OK, unzGetCurrentFileInfo(file.get(), &info, buffer, 256, nullptr, 0,
                                                nullptr, 0));
        EXPECT_EQ(c.name.size(), info.size_filename);
        const size_t copied = std::min<size_t>(c.name.size(), 256);
        EXPECT_EQ(c.name.substr(0, copied), std::string(buffer, copied));
        EXPECT_EQ(c.terminated ? '\0' : '#', buffer[copied]);
        EXPECT_EQ('#', buffer[256]);
        unzGoToNextFile(file.get());
    }
}

TEST_F(ZipRecordsReadTest, ExtraFieldAndCommentAreCopiedOnRequest) {
    RawEntry entry{"name", "data"};
    entry.centralExtra = "EXTRA";
    entry.comment = "a comment";
    UnzPtr file = OpenRaw(RawArchive({entry, RawEntry{"next", "n"}}));
    ASSERT_NE(nullptr, file);
    char extra[16] = {}, comment[4] = {};
    ASSERT_EQ(UNZ_OK, unzGetCurrentFileInfo(file.get(), nullptr, nullptr, 0, extra, sizeof extra,
                                            comment, sizeof comment));
    EXPECT_EQ("EXTRA", std::string(extra));
    EXPECT_EQ("a co", std::string(comment, 4));
    ASSERT_EQ(UNZ_OK, unzGoToNextFile(file.get()));
    EXPECT_EQ("n", ReadCurrent(file.get()));
}

TEST(ZipNameCompareTest, CaseModes) {
    struct Case {
        const char* a;
        const char* b;
        int mode;
        int expected;
    };
    const Case cases[] = {
        {"DATA_1", "data_1", 1, -1},
        {"DATA_1", "data_1", 2, 0},
        {"DATA_1", "data_1", 0, 0},
        {"header.xml", "header.xml", 1, 0},
        {"a", "ab", 2, -1},
        {"ab", "a", 2, 1},
        {"", "", 2, 0},
        // Only a-z fold: '_' (0x5F) sorts after 'A' but before 'a'.
        {"_", "a", 2, 1},
        {"_", "a", 1, -1},
        {"[", "{", 2, -1},
        // Non-ASCII bytes compare exactly and unsigned.
        {"caf\xc3\xa9", "CAF\xc3\x89", 2, 1},
        {"\xe9", "\xc9", 2, 1},
        {"\x7f", "\x80", 2, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, unzStringFileNameCompare(c.a, c.b, c.mode)) << c.a << " " << c.b << " " << c.mode;
}

}  // namespace
