// The container class: entry search, reading and writing through MZipArchive,
// and the exceptions it turns result codes into.

#include "archive/zip_archive.h"
#include "archive/zip_stats.h"
#include "errors/zip_archive_error.h"
#include "tests/support/temp_dir.h"
#include "tests/zip/zip_fixture.h"

#include <gtest/gtest.h>

#include <memory>

using ziptest::RawArchive;
using ziptest::RawEntry;

namespace {

// Reads an open entry to its end in chunks of chunk bytes.
std::string ReadAll(MZipArchive& archive, MZipFile& file, uint32_t chunk = 4096) {
    std::string out;
    std::string buffer(chunk, '\0');
    for (;;) {
        const int got = archive.ReadFile(file, buffer.data(), chunk);
        if (got == 0) return out;
        out.append(buffer.data(), size_t(got));
    }
}

class ZipArchiveTest : public ::testing::Test {
protected:
    // Writes the raw archive to a file and opens it.
    std::unique_ptr<MZipArchive> OpenRaw(const RawArchive& raw) {
        qtest::WriteFileBytes(dir_.File("raw.zip"), ziptest::BuildZip(raw));
        auto archive = std::make_unique<MZipArchive>();
        EXPECT_TRUE(archive->Open(dir_.WideFile("raw.zip")));
        return archive;
    }
    // Name of the entry opened for name, judged by its content.
    std::string ContentOf(MZipArchive& archive, const std::string& name) {
        MZipFile file = archive.OpenFile(name);
        return ReadAll(archive, file);
    }

    qtest::TempDir dir_;
};

TEST_F(ZipArchiveTest, WrittenEntriesReadBackAtEveryLevel) {
    const std::string text = ziptest::SampleText(100000);
    const ESAXCompressionLevel levels[] = {eSAXCompressionNone, eSAXCompressionFastest,
                                           ESAXCompressionLevel(2), eSAXCompressionDefault,
                                           eSAXCompressionBest};
    {
        MZipArchive writer;
        ASSERT_TRUE(writer.Create(dir_.WideFile("levels.zip")));
        for (ESAXCompressionLevel level : levels) {
            MZipFile file = writer.OpenNewFile("entry_" + std::to_string(level), level);
            // Uneven pieces cross the writer's buffer boundaries.
            for (size_t at = 0; at < text.size(); at += 7777)
                EXPECT_EQ(0, writer.WriteFile(file, text.data() + at,
                                              uint32_t(std::min<size_t>(7777, text.size() - at))));
            EXPECT_EQ(0, writer.CloseNewFile(file));
            EXPECT_EQ(nullptr, file.handle);
        }
        MZipFile empty = writer.OpenNewFile("empty", eSAXCompressionDefault);
        writer.CloseNewFile(empty);
        EXPECT_TRUE(writer.Close());
    }
    MZipArchive reader;
    ASSERT_TRUE(reader.Open(dir_.WideFile("levels.zip")));
    for (ESAXCompressionLevel level : levels) {
        for (uint32_t chunk : {1u, 4096u, 16384u, 1000000u}) {
            if (chunk == 1 && level != eSAXCompressionBest) continue;
            SCOPED_TRACE(testing::Message() << "level " << level << " chunk " << chunk);
            MZipFile file = reader.OpenFile("entry_" + std::to_string(level));
            EXPECT_FALSE(reader.IsEndOfFile(file));
            EXPECT_EQ(text, ReadAll(reader, file, chunk));
            EXPECT_TRUE(reader.IsEndOfFile(file));
            EXPECT_EQ(0, reader.CloseFile(file));
            EXPECT_FALSE(reader.IsEndOfFile(file));
        }
    }
    MZipFile empty = reader.OpenFile("empty");
    EXPECT_TRUE(reader.IsEndOfFile(empty));
    EXPECT_EQ("", ReadAll(reader, empty));
}

TEST_F(ZipArchiveTest, OpenFileIgnoresAsciiCaseOnly) {
    auto archive = OpenRaw({{{"header.xml", "doc"}, {"Caf\xc3\xa9", "cafe"}}});
    EXPECT_EQ("doc", ContentOf(*archive, "HEADER.XML"));
    EXPECT_EQ("cafe", ContentOf(*archive, "CAF\xc3\xa9"));
    // A difference in a non-ASCII byte is never folded.
    EXPECT_THROW(archive->OpenFile("Caf\xc3\x89"), MZipArchiveError::MFileNotFound);
    EXPECT_THROW(archive->OpenFile("header.xm"), MZipArchiveError::MFileNotFound);
    EXPECT_THROW(archive->OpenFile("header.xml "), MZipArchiveError::MFileNotFound);
}

TEST_F(ZipArchiveTest, LongNamesCompareInFull) {
    const std::string name256(256, 'n'), name300 = std::string(299, 'o') + "x";
    auto archive = OpenRaw({{{name256, "256"}, {name300, "300"}, {"short", "s"}}});
    EXPECT_EQ("300", ContentOf(*archive, name300));
    EXPECT_EQ("256", ContentOf(*archive, name256));
    // Neither a prefix of the stored name nor a longer name matches.
    EXPECT_THROW(archive->OpenFile(name300.substr(0, 256)), MZipArchiveError::MFileNotFound);
    EXPECT_THROW(archive->OpenFile(name256 + "n"), MZipArchiveError::MFileNotFound);
    EXPECT_THROW(archive->OpenFile(std::string(299, 'o') + "y"), MZipArchiveError::MFileNotFound);
    EXPECT_EQ("s", ContentOf(*archive, "SHORT"));
}

TEST_F(ZipArchiveTest, EntryOpenCountCountsSuccessfulOpens) {
    RawEntry bad{"bad", "x"};
    bad.method = 12;
    auto archive = OpenRaw({{{"a", "1"}, bad}});
    const uint64_t before = ZipEntryOpenCount();
    ContentOf(*archive, "a");
    ContentOf(*archive, "A");
    EXPECT_THROW(archive->OpenFile("bad"), MZipArchiveError::MFileNotFound);
    EXPECT_THROW(archive->OpenFile("none"), MZipArchiveError::MFileNotFound);
    EXPECT_EQ(before + 2, ZipEntryOpenCount());
}

TEST_F(ZipArchiveTest, SignatureFlagReachesEveryWrittenRecord) {
    for (bool alternative : {false, true}) {
        {
            MZipArchive writer(alternative);
            ASSERT_TRUE(writer.Create(dir_.WideFile("sig.zip")));
            for (const char* name : {"one", "two"}) {
                MZipFile file = writer.OpenNewFile(name, eSAXCompressionNone);
                writer.WriteFile(file, "data", 4);
                writer.CloseNewFile(file);
            }
            ASSERT_TRUE(writer.Close());
        }
        const std::string bytes = qtest::ReadFileBytes(dir_.File("sig.zip"));
        const std::string form = alternative ? "KR" : "PK";
        // Stored entries of 4 bytes: local headers at 0 and 37, directory at 74.
        EXPECT_EQ(form + "\x03\x04", bytes.substr(0, 4));
        EXPECT_EQ(form + "\x03\x04", bytes.substr(37, 4));
        EXPECT_EQ(form + "\x01\x02", bytes.substr(74, 4));
        EXPECT_EQ(form + "\x01\x02", bytes.substr(74 + 49, 4));
        EXPECT_EQ(form + "\x05\x06", bytes.substr(bytes.size() - 22, 4));
        MZipArchive reader;
        ASSERT_TRUE(reader.Open(dir_.WideFile("sig.zip")));
        EXPECT_EQ("data", ContentOf(reader, "two"));
    }
}

TEST_F(ZipArchiveTest, CaseTwinsAreFoundFromTheCurrentEntryWrapping) {
    auto archive = OpenRaw({{{"data", "first"}, {"other", "x"}, {"DATA", "third"}, {"last", "y"}}});
    // From the first entry, the first twin comes first.
    EXPECT_EQ("first", ContentOf(*archive, "Data"));
    // A found entry stays current, so the same search finds it again.
    EXPECT_EQ("first", ContentOf(*archive, "dAtA"));
    // From "last", the search wraps to the start and reaches "data" first.
    EXPECT_EQ("y", ContentOf(*archive, "last"));
    EXPECT_EQ("first", ContentOf(*archive, "DATA"));
    // From "other", the next twin is the third entry.
    EXPECT_EQ("x", ContentOf(*archive, "other"));
    EXPECT_EQ("third", ContentOf(*archive, "data"));
    // A miss visits every entry once and leaves the current entry where it was.
    EXPECT_THROW(archive->OpenFile("missing"), MZipArchiveError::MFileNotFound);
    EXPECT_EQ("third", ContentOf(*archive, "data"));
}

TEST_F(ZipArchiveTest, FailuresThrowTheTypesCallersCatch) {
    // OpenFile with no reader, on an empty container, and for entries that
    // exist but cannot be opened.
    MZipArchive never;
    EXPECT_THROW(never.OpenFile("header.xml"), MZipArchiveError::MFileNotFound);
    // An empty container opens only with something before its end record.
    RawArchive noEntries;
    noEntries.prefix = "prefix";
    auto empty = OpenRaw(noEntries);
    EXPECT_THROW(empty->OpenFile("header.xml"), MZipArchiveError::MFileNotFound);
    RawEntry method12{"m12", "abc"};
    method12.method = 12;
    RawEntry mismatch{"mismatch", "abc"};
    mismatch.localMethod = 8;
    auto bad = OpenRaw({{method12, mismatch, {"good", "ok"}}});
    EXPECT_THROW(bad->OpenFile("m12"), MZipArchiveError::MFileNotFound);
    EXPECT_THROW(bad->OpenFile("mismatch"), MZipArchiveError::MFileNotFound);
    try {
        bad->OpenFile("mismatch");
        FAIL();
    } catch (const MZipArchiveError::MFileNotFound& e) {
        EXPECT_EQ(u"File not Found", e.message);
        EXPECT_EQ(u"mismatch", e.name);
    }
    EXPECT_EQ("ok", ContentOf(*bad, "good"));

    // Damaged deflate data, and reading a closed entry.
    RawEntry damaged{"damaged", std::string(5000, 'a')};
    damaged.method = 8;
    damaged.compressed = std::string("\xff\xff\xff\xff", 4);
    auto broken = OpenRaw({{damaged, {"plain", "abc"}}});
    MZipFile file = broken->OpenFile("damaged");
    char buffer[4096];
    EXPECT_THROW(broken->ReadFile(file, buffer, sizeof buffer), MZipArchiveError::MDeflate);
    MZipFile plain = broken->OpenFile("plain");
    EXPECT_EQ(0, broken->ReadFile(plain, buffer, 0));
    EXPECT_EQ(3, broken->ReadFile(plain, buffer, sizeof buffer));
    EXPECT_EQ(0, broken->ReadFile(plain, buffer, sizeof buffer));
    broken->CloseFile(plain);
    EXPECT_EQ(nullptr, plain.handle);
    try {
        broken->ReadFile(plain, buffer, sizeof buffer);
        FAIL();
    } catch (const MZipArchiveError::MDeflate& e) {
        EXPECT_EQ(u"Error while decompressing", e.message);
        EXPECT_EQ(u"plain", e.name);
    }

    // Writing without a writer, or through a handle that is not open.
    MZipArchive reader;
    EXPECT_THROW(reader.OpenNewFile("x", eSAXCompressionDefault), MZipArchiveError::MFileNotCreated);
    MZipArchive writer;
    ASSERT_TRUE(writer.Create(dir_.WideFile("w.zip")));
    EXPECT_THROW(writer.OpenNewFile("x", ESAXCompressionLevel(42)),
                 MZipArchiveError::MFileNotCreated);
    EXPECT_THROW(writer.OpenNewFile(std::string("a\0b", 3), eSAXCompressionDefault),
                 MZipArchiveError::MFileNotCreated);
    MZipFile closed = writer.OpenNewFile("x", eSAXCompressionDefault);
    writer.CloseNewFile(closed);
    EXPECT_THROW(writer.WriteFile(closed, "abc", 3), MZipArchiveError::MInflate);
    EXPECT_TRUE(writer.Close());
}

TEST_F(ZipArchiveTest, AlteredStoredDataReadsWithoutComplaint) {
    RawEntry altered{"stored", "genuine bytes"};
    altered.crc = 0x12345678;
    auto archive = OpenRaw({{altered}});
    MZipFile file = archive->OpenFile("stored");
    EXPECT_EQ("genuine bytes", ReadAll(*archive, file));
    // The record layer's CRC result is handed back, never thrown.
    EXPECT_EQ(-105, archive->CloseFile(file));
}

TEST_F(ZipArchiveTest, OpeningAnEntryRedirectsEarlierHandles) {
    auto archive = OpenRaw({{{"a", "AAAA"}, {"b", "BBBB"}}});
    MZipFile first = archive->OpenFile("a");
    MZipFile second = archive->OpenFile("b");
    char buffer[8];
    // Both handles refer to the archive's one open entry, now "b".
    EXPECT_EQ(2, archive->ReadFile(first, buffer, 2));
    EXPECT_EQ(2, archive->ReadFile(second, buffer + 2, 2));
    EXPECT_EQ("BBBB", std::string(buffer, 4));
}

TEST_F(ZipArchiveTest, OpenAndCloseFollowTheArchiveState) {
    MZipArchive archive;
    EXPECT_FALSE(archive.Close());
    EXPECT_FALSE(archive.Open(dir_.WideFile("missing.zip")));
    EXPECT_FALSE(archive.Close());
    qtest::WriteFileBytes(dir_.File("not.zip"), "this is not an archive at all");
    EXPECT_FALSE(archive.Open(dir_.WideFile("not.zip")));
    EXPECT_FALSE(archive.Open(u""));
    EXPECT_FALSE(archive.Open(dir_.path().u16string()));  // a directory

    qtest::WriteFileBytes(dir_.File("one.zip"), ziptest::BuildZip({{{"a", "b"}}}));
    ASSERT_TRUE(archive.Open(dir_.WideFile("one.zip")));
    // Nothing is opened over a container that is still open.
    EXPECT_FALSE(archive.Open(dir_.WideFile("one.zip")));
    EXPECT_FALSE(archive.Create(dir_.WideFile("new.zip")));
    MZipFile file = archive.OpenFile("a");
    EXPECT_TRUE(archive.Close());  // closes the open entry too
    EXPECT_FALSE(archive.Close());
    // The closed archive's handle is no longer honoured.
    char c;
    EXPECT_THROW(archive.ReadFile(file, &c, 1), MZipArchiveError::MDeflate);
    EXPECT_FALSE(archive.IsEndOfFile(file));

    ASSERT_TRUE(archive.Create(dir_.WideFile("new.zip")));
    EXPECT_TRUE(archive.Close());
    EXPECT_FALSE(archive.Close());
    EXPECT_FALSE(archive.Create(dir_.WideFile("no/such/dir/new.zip")));
    // A written archive without entries is nothing but an end record at
    // offset 0, which is not taken for an archive.
    EXPECT_EQ(22u, qtest::ReadFileBytes(dir_.File("new.zip")).size());
    EXPECT_FALSE(archive.Open(dir_.WideFile("new.zip")));
}

TEST_F(ZipArchiveTest, DestructionFinishesAContainerBeingWritten) {
    {
        MZipArchive writer(true);
        ASSERT_TRUE(writer.Create(dir_.WideFile("open.zip")));
        MZipFile file = writer.OpenNewFile("unfinished", eSAXCompressionDefault);
        writer.WriteFile(file, "partial", 7);
        // Opening the next entry finishes the first.
        MZipFile next = writer.OpenNewFile("next", eSAXCompressionNone);
        writer.WriteFile(next, "n", 1);
    }
    MZipArchive reader;
    ASSERT_TRUE(reader.Open(dir_.WideFile("open.zip")));
    EXPECT_EQ("partial", ContentOf(reader, "unfinished"));
    EXPECT_EQ("n", ContentOf(reader, "next"));
}

TEST_F(ZipArchiveTest, ThreeArchivesOnOneFileReadIndependently) {
    const std::string big = ziptest::SampleText(50000, 1);
    RawEntry deflated{"header.xml", big};
    deflated.method = 8;
    qtest::WriteFileBytes(dir_.File("p.zip"),
                          ziptest::BuildZip({{deflated, {"blob_0000", std::string(8, '\0')},
                                              {"blob_0001", "binary"}}}));
    MZipArchive header, descriptor, blobs;
    ASSERT_TRUE(header.Open(dir_.WideFile("p.zip")));
    ASSERT_TRUE(descriptor.Open(dir_.WideFile("p.zip")));
    ASSERT_TRUE(blobs.Open(dir_.WideFile("p.zip")));
    MZipFile h = header.OpenFile("header.xml");
    MZipFile d = descriptor.OpenFile("blob_0000");
    MZipFile b = blobs.OpenFile("blob_0001");
    std::string got;
    char buffer[4096];
    for (int n; (n = header.ReadFile(h, buffer, sizeof buffer)) > 0;) {
        got.append(buffer, size_t(n));
        EXPECT_EQ(3, blobs.ReadFile(b, buffer, 3) + (blobs.IsEndOfFile(b) ? 3 : 0));
        blobs.CloseFile(b);
        b = blobs.OpenFile("blob_0001");
    }
    EXPECT_EQ(big, got);
    EXPECT_EQ(8, descriptor.ReadFile(d, buffer, 1024));
}

}  // namespace
