// Reading blob entries: windows, refills, skipping, reopening, end of entry.

#include "archive/blob_file_info.h"
#include "archive/zip_archive.h"
#include "errors/zip_archive_error.h"
#include "tests/blob/blob_fixture.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <string>

namespace {

using blobtest::EntryOpens;
using blobtest::Pattern;
using blobtest::ReadUntilEmpty;

constexpr size_t kEntrySize = 40000;  // spans three buffers

// A container with a 40000-byte entry "data_1" and a 100-byte entry "small",
// both stored or both deflated.
class ReadingFixture {
public:
    explicit ReadingFixture(ESAXCompressionLevel level)
        : bytes(Pattern(kEntrySize)), small(Pattern(100, 99)) {
        blobtest::WriteContainer(dir.WideFile("blobs.zip"),
                                 {{"data_1", level, bytes}, {"small", level, small}});
        if (!archive.Open(dir.WideFile("blobs.zip"))) throw std::runtime_error("open failed");
    }

    qtest::TempDir dir;
    std::string bytes;
    std::string small;
    MZipArchive archive;
};

struct WindowCase {
    const char* label;
    int32_t offset;
    int32_t size;
    int32_t step;  // read size; windows are read in steps until a read comes short
};

void PrintTo(const WindowCase& c, std::ostream* os) { *os << c.label; }

class BlobWindow
    : public ::testing::TestWithParam<std::tuple<WindowCase, ESAXCompressionLevel>> {};

// Reading size bytes of a window yields the entry's bytes offset .. offset+size-1,
// cut short at the end of the entry.
TEST_P(BlobWindow, ReadsTheWindowsBytes) {
    const WindowCase& c = std::get<0>(GetParam());
    ReadingFixture fx(std::get<1>(GetParam()));
    MSAXBlobFileInfo blob(&fx.archive, "data_1");

    ASSERT_TRUE(blob.Initialise(c.offset, c.size));
    std::string got;
    std::string chunk(static_cast<size_t>(c.step), '\0');
    while (got.size() < static_cast<size_t>(c.size)) {
        const int32_t want = std::min<int32_t>(c.step, c.size - static_cast<int32_t>(got.size()));
        const int32_t n = blob.ReadBuffer(chunk.data(), want);
        got.append(chunk, 0, static_cast<size_t>(n));
        if (n < want) break;
    }
    const size_t start = std::min<size_t>(static_cast<size_t>(c.offset), kEntrySize);
    EXPECT_EQ(got, fx.bytes.substr(start, static_cast<size_t>(c.size)));
}

INSTANTIATE_TEST_SUITE_P(
    Windows, BlobWindow,
    ::testing::Combine(
        ::testing::Values(WindowCase{"head", 0, 16, 16},
                          WindowCase{"crosses_a_refill", 100, 20000, 20000},
                          WindowCase{"crosses_in_small_reads", 100, 20000, 333},
                          WindowCase{"exactly_the_second_buffer", 16384, 16384, 16384},
                          WindowCase{"whole_entry_in_one_read", 0, 40000, 40000},
                          WindowCase{"runs_past_the_end", 39990, 100, 100},
                          WindowCase{"starts_at_the_end", 40000, 10, 10},
                          WindowCase{"starts_beyond_the_end", 50000, 10, 10},
                          WindowCase{"large_window_beyond_the_end", 60000, 30000, 4096}),
        ::testing::Values(eSAXCompressionNone, eSAXCompressionDefault)),
    [](const auto& info) {
        return std::string(std::get<0>(info.param).label) +
               (std::get<1>(info.param) == eSAXCompressionNone ? "_stored" : "_deflated");
    });

// Skipping pulls chunks of min(window, 16384) without using up the window, so
// after the skip the buffer holds the skip's last chunk from the offset on,
// and refills then pull the whole window: a small window far ahead hands out
// (chunk end - offset) + size bytes before reads come up empty.
TEST(BlobFileInfoRead, SkippingRefillsInWindowSizedChunks) {
    struct Case {
        int32_t offset, size;
        size_t handedOut;
    };
    const Case cases[] = {
        {1000, 100, 0 + 100},          // the skip's last chunk ends at the offset
        {1050, 100, 50 + 100},         // the skip's last chunk ends at 1100
        {1001, 100, 99 + 100},         // ... and at 1100 again
        {0, 100, 100},                 // no skip: only the window is pulled
        {5000, 16384, 11384 + 16384},  // chunks of 16384: the skip ends at 16384
        {39990, 100, 10},              // the entry ends first
    };
    ReadingFixture fx(eSAXCompressionDefault);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.offset);
        MSAXBlobFileInfo blob(&fx.archive, "data_1");
        ASSERT_TRUE(blob.Initialise(c.offset, c.size));
        EXPECT_EQ(ReadUntilEmpty(blob, 7), fx.bytes.substr(static_cast<size_t>(c.offset), c.handedOut));
    }
}

// GetBlobSize is what refills may still pull: it falls as they pull and a
// window of size 0 changes nothing.
TEST(BlobFileInfoRead, BlobSizeFollowsTheRefills) {
    ReadingFixture fx(eSAXCompressionNone);
    MSAXBlobFileInfo blob(&fx.archive, "data_1");
    char byte = 0;

    EXPECT_EQ(blob.GetBlobSize(), 0);
    ASSERT_TRUE(blob.Initialise(0, 20000));
    EXPECT_EQ(blob.GetBlobSize(), 20000);
    ASSERT_EQ(blob.ReadBuffer(&byte, 1), 1);
    EXPECT_EQ(blob.GetBlobSize(), 20000 - 16384);

    EXPECT_TRUE(blob.Initialise(5000, 0));
    EXPECT_EQ(blob.GetBlobSize(), 20000 - 16384);
    ASSERT_EQ(blob.ReadBuffer(&byte, 1), 1);
    EXPECT_EQ(byte, fx.bytes[1]) << "a window of size 0 must not move the cursor";

    std::string rest(20000, '\0');
    ASSERT_EQ(blob.ReadBuffer(rest.data(), 19998), 19998);
    EXPECT_EQ(blob.GetBlobSize(), 0);
    EXPECT_EQ(rest.substr(0, 19998), fx.bytes.substr(2, 19998));
}

// Windows at or after the first byte still buffered read on; a window that
// starts earlier reopens the entry and reads forward from its start.
TEST(BlobFileInfoRead, OnlyBackwardWindowsReopenTheEntry) {
    struct Case {
        const char* label;
        int32_t firstOffset, firstSize, firstRead;
        int32_t secondOffset;
        uint64_t opens;
    };
    const Case cases[] = {
        {"increasing", 0, 16, 16, 100, 1},
        {"far_ahead", 0, 16, 16, 30000, 1},
        {"at_first_buffered_byte", 1000, 100, 50, 1050, 1},
        {"same_window_again_unread", 1000, 100, 0, 1000, 1},
        {"inside_consumed_bytes", 1000, 100, 50, 1020, 2},
        {"decreasing", 100, 16, 16, 0, 2},
        {"back_from_the_end", 39990, 100, 100, 0, 2},
    };
    ReadingFixture fx(eSAXCompressionDefault);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const uint64_t before = EntryOpens();
        MSAXBlobFileInfo blob(&fx.archive, "data_1");
        ASSERT_TRUE(blob.Initialise(c.firstOffset, c.firstSize));
        std::string first(static_cast<size_t>(c.firstSize), '\0');
        ASSERT_EQ(blob.ReadBuffer(first.data(), c.firstRead),
                  std::min<int32_t>(c.firstRead, 40000 - c.firstOffset));

        ASSERT_TRUE(blob.Initialise(c.secondOffset, 64));
        std::string second(64, '\0');
        ASSERT_EQ(blob.ReadBuffer(second.data(), 64), 64);
        EXPECT_EQ(second, fx.bytes.substr(static_cast<size_t>(c.secondOffset), 64));
        EXPECT_EQ(EntryOpens() - before, c.opens);
    }
}

// The end of the entry is reported as soon as its last byte is in the buffer.
TEST(BlobFileInfoRead, EndOfFileBeforeTheBytesAreHandedOut) {
    for (ESAXCompressionLevel level : {eSAXCompressionNone, eSAXCompressionDefault}) {
        ReadingFixture fx(level);
        MSAXBlobFileInfo blob(&fx.archive, "small");
        ASSERT_TRUE(blob.Initialise(0, 100));
        EXPECT_FALSE(blob.IsEndOfFile());
        char byte = 0;
        ASSERT_EQ(blob.ReadBuffer(&byte, 1), 1);
        EXPECT_TRUE(blob.IsEndOfFile()) << "99 bytes still buffered";
        EXPECT_EQ(ReadUntilEmpty(blob, 10), fx.small.substr(1));
    }
}

// When the entry cannot be reopened for an earlier window it stays closed:
// the bytes still buffered from the old window are not handed out, reads
// throw MDeflate.
TEST(BlobFileInfoRead, FailedReopenLeavesNothingStaleToRead) {
    ReadingFixture fx(eSAXCompressionDefault);
    MSAXBlobFileInfo blob(&fx.archive, "data_1");
    ASSERT_TRUE(blob.Initialise(100, 50));
    char chunk[10] = {};
    ASSERT_EQ(blob.ReadBuffer(chunk, 10), 10);  // 40 bytes of the window stay buffered

    ASSERT_TRUE(fx.archive.Close());  // the entry can no longer be opened
    EXPECT_THROW(blob.Initialise(0, 10), MZipArchiveError::MFileNotFound);
    EXPECT_THROW(blob.ReadBuffer(chunk, 5), MZipArchiveError::MDeflate);
    EXPECT_FALSE(blob.IsEndOfFile());
}

TEST(BlobFileInfoRead, MissingEntryThrowsFileNotFoundWithItsName) {
    ReadingFixture fx(eSAXCompressionNone);
    try {
        MSAXBlobFileInfo blob(&fx.archive, "missing");
        FAIL() << "no exception";
    } catch (const MZipArchiveError::MFileNotFound& e) {
        EXPECT_EQ(e.name, u"missing");
    }
    // The container's reader is still usable afterwards.
    MSAXBlobFileInfo blob(&fx.archive, "SMALL");
    ASSERT_TRUE(blob.Initialise(0, 100));
    EXPECT_EQ(ReadUntilEmpty(blob, 100), fx.small);
}

// Out-of-contract arguments and calls of the other mode are refused and leave
// the object as it was.
TEST(BlobFileInfoRead, RefusedCallsChangeNothing) {
    ReadingFixture fx(eSAXCompressionNone);
    MSAXBlobFileInfo blob(&fx.archive, "data_1");
    ASSERT_TRUE(blob.Initialise(10, 30));
    char chunk[8] = {};
    ASSERT_EQ(blob.ReadBuffer(chunk, 5), 5);

    EXPECT_FALSE(blob.Initialise(-1, 10));
    EXPECT_FALSE(blob.Initialise(10, -1));
    EXPECT_FALSE(blob.Initialise(std::numeric_limits<int32_t>::min(), 0));
    EXPECT_EQ(blob.ReadBuffer(chunk, -5), 0);
    EXPECT_EQ(blob.ReadBuffer(nullptr, 5), 0);
    EXPECT_EQ(blob.WriteBuffer("abc", 3), 0);
    EXPECT_FALSE(blob.Initialise());
    blob.Finish();
    EXPECT_EQ(blob.GetBlobOffset(), 0);
    EXPECT_EQ(blob.GetBlobSize(), 30) << "skipping does not use up the window";

    // Bytes 15..29 are still buffered, then the window's 30 bytes follow.
    EXPECT_EQ(ReadUntilEmpty(blob, 8), fx.bytes.substr(15, 45));
}

}  // namespace
