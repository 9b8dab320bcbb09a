// The blob store: one current entry, reuse by exact name, reopening, the
// end-tag step, and the blob readers it hands out.

#include "archive/blob_archive.h"
#include "archive/blob_read.h"
#include "errors/zip_archive_error.h"
#include "tests/blob/blob_fixture.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using blobtest::EntryOpens;
using blobtest::Pattern;

class BlobStoreTest : public ::testing::Test {
protected:
    BlobStoreTest() : data(Pattern(40000)), small(Pattern(100, 3)) {
        blobtest::WriteContainer(dir.WideFile("project.zip"),
                                 {{"data_1", eSAXCompressionDefault, data}, {"small", eSAXCompressionNone, small}});
    }

    std::string Read(MSAXBlobFileInfo* blob, int32_t length) {
        std::string out(static_cast<size_t>(length), '\0');
        out.resize(static_cast<size_t>(blob->ReadBuffer(out.data(), length)));
        return out;
    }

    qtest::TempDir dir;
    std::string data;
    std::string small;
};

// Consecutive requests: the same name (byte for byte) keeps the entry, read
// forward or reopened for an earlier window; any other name replaces it.
TEST_F(BlobStoreTest, RequestsReuseOrReopenTheCurrentEntry) {
    struct Request {
        const char* name;
        int32_t offset;
    };
    struct Case {
        const char* label;
        Request first, second;
        uint64_t opens;
    };
    const Case cases[] = {
        {"increasing_offsets", {"data_1", 0}, {"data_1", 100}, 1},
        {"decreasing_offsets", {"data_1", 100}, {"data_1", 0}, 2},
        {"case_twin_names", {"data_1", 0}, {"DATA_1", 100}, 2},
        {"other_entry", {"data_1", 0}, {"small", 10}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        MSAXBlobArchive store(dir.WideFile("project.zip"));
        const uint64_t before = EntryOpens();
        for (const Request& r : {c.first, c.second}) {
            MSAXBlobFileInfo* blob = store.GetBlobFileInfo(r.name, r.offset, 16);
            ASSERT_NE(blob, nullptr);
            EXPECT_EQ(blob->GetFileName(), r.name);
            EXPECT_EQ(blob->GetBlobSize(), 16);
            const std::string& source = std::string(r.name) == "small" ? small : data;
            EXPECT_EQ(Read(blob, 16), source.substr(static_cast<size_t>(r.offset), 16));
        }
        EXPECT_EQ(EntryOpens() - before, c.opens);
    }
}

TEST_F(BlobStoreTest, MissingEntryThenAGoodOne) {
    MSAXBlobArchive store(dir.WideFile("project.zip"));
    ASSERT_NE(store.GetBlobFileInfo("small", 0, 10), nullptr);
    try {
        store.GetBlobFileInfo("nope", 0, 10);
        FAIL() << "no exception";
    } catch (const MZipArchiveError::MFileNotFound& e) {
        EXPECT_EQ(e.name, u"nope");
    }
    EXPECT_FALSE(store.HasCurrentEntry());

    MSAXBlobFileInfo* blob = store.GetBlobFileInfo("data_1", 30000, 50);
    ASSERT_NE(blob, nullptr);
    EXPECT_EQ(Read(blob, 50), data.substr(30000, 50));
}

// A broken deflate stream shows while the request positions the entry.
TEST_F(BlobStoreTest, ReadErrorWhilePositioningThrowsDeflate) {
    const std::string path = dir.File("broken.zip");
    blobtest::WriteContainer(dir.WideFile("broken.zip"), {{"data_1", eSAXCompressionDefault, data}});
    std::string file = qtest::ReadFileBytes(path);
    const size_t nameLength = static_cast<unsigned char>(file[26]) | static_cast<unsigned char>(file[27]) << 8;
    const size_t extraLength = static_cast<unsigned char>(file[28]) | static_cast<unsigned char>(file[29]) << 8;
    const size_t dataStart = 30 + nameLength + extraLength;
    for (size_t i = dataStart; i < dataStart + 16; ++i) file[i] = '\xFF';  // reserved block type
    qtest::WriteFileBytes(path, file);

    MSAXBlobArchive store(dir.WideFile("broken.zip"));
    try {
        store.GetBlobFileInfo("data_1", 100, 10);
        FAIL() << "no exception";
    } catch (const MZipArchiveError::MDeflate& e) {
        EXPECT_EQ(e.name, u"data_1");
    }
}

// A path that is no container fails every request, and the store does not try
// the path again: a container put there later is not seen.
TEST_F(BlobStoreTest, PathThatIsNoContainerIsTriedOnce) {
    for (const char* content : {static_cast<const char*>(nullptr), "just some text, no zip records"}) {
        qtest::TempDir other;
        const std::string path = other.File("project.zip");
        if (content != nullptr) qtest::WriteFileBytes(path, content);
        MSAXBlobArchive store(other.WideFile("project.zip"));
        EXPECT_THROW(store.GetBlobFileInfo("data_1", 0, 10), MZipArchiveError::MFileNotFound);

        blobtest::WriteContainer(other.WideFile("project.zip"), {{"data_1", eSAXCompressionNone, "abc"}});
        EXPECT_THROW(store.GetBlobFileInfo("data_1", 0, 10), MZipArchiveError::MFileNotFound);
        EXPECT_FALSE(store.HasCurrentEntry());
    }
}

// The end-tag step releases an entry once its last byte has been pulled; the
// next request for it opens it anew and reads from its start.
TEST_F(BlobStoreTest, EndTagStepReleasesOnlyExhaustedEntries) {
    MSAXBlobArchive store(dir.WideFile("project.zip"));
    std::vector<std::unique_ptr<ISAXBlobRead>> handedOut;

    MSAXBlobFileInfo* blob = store.GetBlobFileInfo("data_1", 0, 10);
    EXPECT_EQ(Read(blob, 10), data.substr(0, 10));
    BlobEndTagStep(&store, handedOut);
    EXPECT_TRUE(store.HasCurrentEntry()) << "data_1 is not read to its end";

    blob = store.GetBlobFileInfo("small", 90, 10);
    EXPECT_EQ(Read(blob, 5), small.substr(90, 5)) << "the last byte is pulled, not all handed out";
    BlobEndTagStep(&store, handedOut);
    EXPECT_FALSE(store.HasCurrentEntry());

    const uint64_t before = EntryOpens();
    blob = store.GetBlobFileInfo("small", 95, 5);
    EXPECT_EQ(Read(blob, 5), small.substr(95, 5));
    EXPECT_EQ(EntryOpens() - before, 1u);
}

// Size 0 hands out the entry without positioning it; negative offsets and
// sizes are refused before anything is opened.
TEST_F(BlobStoreTest, EmptyAndNegativeWindows) {
    MSAXBlobArchive store(dir.WideFile("project.zip"));
    EXPECT_EQ(store.GetBlobFileInfo("data_1", -1, 10), nullptr);
    EXPECT_EQ(store.GetBlobFileInfo("data_1", 10, -1), nullptr);
    EXPECT_FALSE(store.HasCurrentEntry());

    MSAXBlobFileInfo* blob = store.GetBlobFileInfo("data_1", 100, 10);
    EXPECT_EQ(Read(blob, 4), data.substr(100, 4));
    EXPECT_EQ(store.GetBlobFileInfo("data_1", 5000, 0), blob);
    EXPECT_EQ(Read(blob, 4), data.substr(104, 4));
    EXPECT_EQ(store.GetBlobFileInfo("data_1", -5, 10), nullptr);
    EXPECT_EQ(Read(blob, 2), data.substr(108, 2));
}

// A blob reader hands out its context (fileInfo, 32, 0); the end-tag step
// deletes every reader handed out during the element, with or without a store.
TEST(BlobReaders, ContextAndEndTagDeletion) {
    static int alive = 0;
    struct Counted : MSAXBlobRead {
        explicit Counted(MSAXBlobFileInfo* info) : MSAXBlobRead(info) { ++alive; }
        ~Counted() override { --alive; }
    };
    auto* fakeInfo = reinterpret_cast<MSAXBlobFileInfo*>(0x1000);  // never dereferenced

    std::vector<std::unique_ptr<ISAXBlobRead>> handedOut;
    handedOut.push_back(std::make_unique<Counted>(fakeInfo));
    handedOut.push_back(std::make_unique<Counted>(nullptr));
    MSAXBlobReadContext* context = handedOut.front()->GetContext();
    ASSERT_NE(context, nullptr);
    EXPECT_EQ(context->fileInfo, fakeInfo);
    EXPECT_EQ(context->reserved1, 32);
    EXPECT_EQ(context->reserved2, 0);
    EXPECT_EQ(alive, 2);

    BlobEndTagStep(nullptr, handedOut);
    EXPECT_EQ(alive, 0);
    EXPECT_TRUE(handedOut.empty());
}

}  // namespace
