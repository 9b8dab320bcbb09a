// Writing blob entries: blob offsets and sizes, dumps at the buffer's edge,
// flushing on destruction or Finish().

#include "archive/blob_file_info.h"
#include "archive/zip_archive.h"
#include "errors/zip_archive_error.h"
#include "tests/blob/blob_fixture.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>

namespace {

using blobtest::Pattern;
using blobtest::ReadEntry;

TEST(BlobFileInfoWrite, OffsetAndSizeOfEachValue) {
    qtest::TempDir dir;
    MZipArchive archive;
    ASSERT_TRUE(archive.Create(dir.WideFile("out.zip")));
    {
        MSAXBlobFileInfo blob(&archive, "data_1", eSAXCompressionDefault);
        EXPECT_EQ(blob.GetBlobOffset(), 0);
        EXPECT_EQ(blob.GetBlobSize(), 0);

        const std::string bytes = Pattern(20000);
        ASSERT_EQ(blob.WriteBuffer(bytes.data(), 100), 100);
        EXPECT_EQ(blob.GetBlobSize(), 100);

        EXPECT_TRUE(blob.Initialise());
        EXPECT_EQ(blob.GetBlobOffset(), 100);
        EXPECT_EQ(blob.GetBlobSize(), 0);

        // A value that crosses a dump is measured the same way.
        ASSERT_EQ(blob.WriteBuffer(bytes.data() + 100, 19900), 19900);
        EXPECT_EQ(blob.GetBlobOffset(), 100);
        EXPECT_EQ(blob.GetBlobSize(), 19900);
        EXPECT_TRUE(blob.Initialise());
        EXPECT_EQ(blob.GetBlobOffset(), 20000);
        EXPECT_TRUE(blob.Initialise());
        EXPECT_EQ(blob.GetBlobOffset(), 20000) << "an empty value starts where the next one does";
    }
    ASSERT_TRUE(archive.Close());
    EXPECT_EQ(ReadEntry(dir.WideFile("out.zip"), "data_1"), Pattern(20000));
}

class BlobRoundTrip
    : public ::testing::TestWithParam<std::tuple<size_t, int32_t, ESAXCompressionLevel>> {};

// Whatever the sizes of the writes, the entry holds exactly the bytes written
// once the object is destroyed.
TEST_P(BlobRoundTrip, EntryHoldsExactlyTheBytesWritten) {
    const auto [size, step, level] = GetParam();
    const std::string bytes = Pattern(size, 5);
    qtest::TempDir dir;
    MZipArchive archive;
    ASSERT_TRUE(archive.Create(dir.WideFile("out.zip")));
    {
        MSAXBlobFileInfo blob(&archive, "data_1", level);
        const size_t piece = step > 0 ? static_cast<size_t>(step) : std::max<size_t>(size, 1);
        for (size_t done = 0; done < size; done += piece) {
            const auto n = static_cast<int32_t>(std::min(piece, size - done));
            ASSERT_EQ(blob.WriteBuffer(bytes.data() + done, n), n);
        }
        EXPECT_EQ(blob.GetBlobSize(), static_cast<int32_t>(size));
    }
    ASSERT_TRUE(archive.Close());
    EXPECT_EQ(ReadEntry(dir.WideFile("out.zip"), "data_1"), bytes);
}

INSTANTIATE_TEST_SUITE_P(Sizes, BlobRoundTrip,
                         ::testing::Combine(::testing::Values(0, 1, 16383, 16384, 16385, 40000),
                                            ::testing::Values(0, 7, 16384, 16385),
                                            ::testing::Values(eSAXCompressionNone, eSAXCompressionBest)));

// A full buffer is passed on only when more bytes arrive. Closing the container
// under a live object finishes the entry with what had been passed so far;
// the object's own flush then fails: Finish() reports it, the destructor
// swallows it.
TEST(BlobFileInfoWrite, FullBufferIsPassedOnlyWhenMoreBytesArrive) {
    struct Case {
        size_t written;
        size_t passed;
    };
    const Case cases[] = {{100, 0}, {16384, 0}, {16385, 16384}, {32768, 16384}, {32769, 32768}};
    for (ESAXCompressionLevel level : {eSAXCompressionNone, eSAXCompressionDefault}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.written);
            qtest::TempDir dir;
            const std::string bytes = Pattern(c.written);
            MZipArchive archive;
            ASSERT_TRUE(archive.Create(dir.WideFile("out.zip")));
            {
                MSAXBlobFileInfo blob(&archive, "data_1", level);
                ASSERT_EQ(blob.WriteBuffer(bytes.data(), static_cast<int32_t>(c.written)),
                          static_cast<int32_t>(c.written));
                ASSERT_TRUE(archive.Close());
                try {
                    blob.Finish();
                    ADD_FAILURE() << "no exception";
                } catch (const MZipArchiveError::MInflate& e) {
                    EXPECT_EQ(e.name, u"data_1");
                }
            }
            EXPECT_EQ(ReadEntry(dir.WideFile("out.zip"), "data_1"), bytes.substr(0, c.passed));
        }
    }
}

// Finish() passes the rest on and closes the entry; the object then refuses
// writes and its destructor closes nothing twice, so the next entry of the
// container is written normally.
TEST(BlobFileInfoWrite, FinishClosesTheEntryOnce) {
    qtest::TempDir dir;
    MZipArchive archive;
    ASSERT_TRUE(archive.Create(dir.WideFile("out.zip")));
    const std::string bytes = Pattern(16385);
    {
        MSAXBlobFileInfo blob(&archive, "first", eSAXCompressionNone);
        ASSERT_EQ(blob.WriteBuffer(bytes.data(), 16385), 16385);
        blob.Finish();
        EXPECT_EQ(blob.WriteBuffer(bytes.data(), 1), 0);
        EXPECT_EQ(blob.GetBlobSize(), 16385);
        blob.Finish();
    }
    {
        MSAXBlobFileInfo blob(&archive, "second", eSAXCompressionDefault);
        ASSERT_EQ(blob.WriteBuffer(bytes.data(), 10), 10);
    }
    ASSERT_TRUE(archive.Close());
    EXPECT_EQ(ReadEntry(dir.WideFile("out.zip"), "first"), bytes);
    EXPECT_EQ(ReadEntry(dir.WideFile("out.zip"), "second"), bytes.substr(0, 10));
}

TEST(BlobFileInfoWrite, RefusedEntryThrowsFileNotCreated) {
    qtest::TempDir dir;
    blobtest::WriteContainer(dir.WideFile("in.zip"), {{"data_1", eSAXCompressionNone, "abc"}});
    MZipArchive notOpen;
    MZipArchive openForReading;
    ASSERT_TRUE(openForReading.Open(dir.WideFile("in.zip")));
    for (MZipArchive* archive : {&notOpen, &openForReading}) {
        try {
            MSAXBlobFileInfo blob(archive, "data_2", eSAXCompressionNone);
            ADD_FAILURE() << "no exception";
        } catch (const MZipArchiveError::MFileNotCreated& e) {
            EXPECT_EQ(e.name, u"data_2");
        }
    }
}

// Out-of-contract arguments and calls of the other mode are refused and leave
// the object as it was.
TEST(BlobFileInfoWrite, RefusedCallsChangeNothing) {
    qtest::TempDir dir;
    MZipArchive archive;
    ASSERT_TRUE(archive.Create(dir.WideFile("out.zip")));
    {
        MSAXBlobFileInfo blob(&archive, "data_1", eSAXCompressionNone);
        ASSERT_EQ(blob.WriteBuffer("abcdef", 6), 6);
        char chunk[4] = {};
        EXPECT_EQ(blob.WriteBuffer("xyz", -3), 0);
        EXPECT_EQ(blob.WriteBuffer(nullptr, 3), 0);
        EXPECT_EQ(blob.ReadBuffer(chunk, 4), 0);
        EXPECT_FALSE(blob.Initialise(0, 4));
        EXPECT_FALSE(blob.IsEndOfFile());
        EXPECT_EQ(blob.GetBlobOffset(), 0);
        EXPECT_EQ(blob.GetBlobSize(), 6);
    }
    ASSERT_TRUE(archive.Close());
    EXPECT_EQ(ReadEntry(dir.WideFile("out.zip"), "data_1"), "abcdef");
}

}  // namespace
