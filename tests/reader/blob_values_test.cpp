// Blob values read by tag handlers during a parse: the text forms, where the
// bytes come from, how often entries are opened, errors, and the lifetime of
// the blob readers handed out.

#include "tests/reader/reader_fixture.h"

#include "archive/blob_file_info.h"
#include "archive/zip_stats.h"
#include "errors/sax_error.h"
#include "errors/zip_archive_error.h"
#include "tools/writer/blob_entries.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

namespace {

using readertest::Recorder;
using readertest::TestReader;
using testing::ElementsAre;

// 200 bytes that differ from position to position, including bytes that a
// decipher step would change.
std::string EntryBytes(char seed) {
    std::string bytes;
    for (int i = 0; i < 200; ++i) bytes.push_back(static_cast<char>(seed + i * 7));
    return bytes;
}

const std::string kLongName(259, 'n');

// What one ReadValue call gave.
struct BlobResult {
    bool ok = false;
    enum { eUntouched, eNull, eSet } blob = eUntouched;
    std::string bytes;
    int32_t size = -1;
    int32_t reserved1 = -1;
    int32_t reserved2 = -1;
};

// A root handler that calls ReadValue for every element named "Blob" and
// reads the whole blob; catchMissing swallows MFileNotFound.
class BlobHandler : public Recorder {
public:
    BlobHandler(std::vector<std::string>& log) : Recorder("R", log) {}
    std::vector<BlobResult> results;
    std::vector<uint64_t> opensBefore;
    bool catchMissing = false;
    int missing = 0;

    bool HandleTag(const std::u16string& tag, MSAXReader* reader) override {
        if (tag != u"Blob") return true;
        opensBefore.push_back(ZipEntryOpenCount());
        MSAXBlobRead sentinel(nullptr);
        ISAXBlobRead* blob = &sentinel;
        BlobResult result;
        try {
            result.ok = reader->ReadValue(blob);
        } catch (const MZipArchiveError::MFileNotFound&) {
            if (!catchMissing) throw;
            ++missing;
            return true;
        }
        if (blob == nullptr) {
            result.blob = BlobResult::eNull;
        } else if (blob != &sentinel) {
            result.blob = BlobResult::eSet;
            MSAXBlobReadContext* context = blob->GetContext();
            result.size = context->fileInfo->GetBlobSize();
            result.reserved1 = context->reserved1;
            result.reserved2 = context->reserved2;
            // A handler reads the blob's size in bytes; reads may come up short.
            char buffer[64];
            for (int32_t left = result.size, got; left > 0; left -= got) {
                got = context->fileInfo->ReadBuffer(buffer, std::min<int32_t>(left, sizeof buffer));
                if (got <= 0) break;
                result.bytes.append(buffer, size_t(got));
            }
        }
        results.push_back(result);
        return true;
    }
};

// Writes a level-1 project file whose elements "Blob" carry the texts, with
// entries data_1 (stored), data_2 (deflated) and one of a 259-character name.
std::u16string WriteBlobProject(const qtest::TempDir& dir, const std::vector<std::string>& texts) {
    std::string xml = "<kor:ProjectFile>";
    for (const std::string& text : texts) xml += "<Blob>" + text + "</Blob>";
    xml += "</kor:ProjectFile>";
    qwriter::ProjectFileOptions options;
    options.level = 1;
    options.key = 0xC0FFEE11;
    options.extraEntries = {{"data_1", EntryBytes(1), eSAXCompressionNone},
                            {"data_2", EntryBytes(2), eSAXCompressionDefault},
                            {kLongName, EntryBytes(3), eSAXCompressionDefault}};
    return readertest::WriteProject(dir, "blobs.kpf", xml, options);
}

TEST(BlobValuesTest, TextForms) {
    qtest::TempDir dir;
    const std::string data1 = EntryBytes(1);
    const std::string data2 = EntryBytes(2);
    struct Case {
        const char* name;
        std::string text;
        bool ok;
        int blob;  // BlobResult::eUntouched / eNull / eSet
        std::string bytes;
    };
    const Case cases[] = {
        {"plain", "0 16 data_1", true, BlobResult::eSet, data1.substr(0, 16)},
        {"white space and line breaks", " \n\t0 \r\n 16\n data_1 \n", true, BlobResult::eSet, data1.substr(0, 16)},
        {"a fourth field is ignored", "0 16 data_1 more", true, BlobResult::eSet, data1.substr(0, 16)},
        {"deflated entry, inner window", "50 30 data_2", true, BlobResult::eSet, data2.substr(50, 30)},
        {"letter case of the name", "10 5 DATA_2", true, BlobResult::eSet, data2.substr(10, 5)},
        {"window past the end", "190 50 data_1", true, BlobResult::eSet, data1.substr(190)},
        {"window beyond the end", "300 5 data_1", true, BlobResult::eSet, ""},
        {"size 0", "0 0 data_1", true, BlobResult::eSet, ""},
        {"name of 259 characters", "0 4 " + kLongName, true, BlobResult::eSet, EntryBytes(3).substr(0, 4)},
        {"empty", "", false, BlobResult::eUntouched, ""},
        {"only white space", " \n ", false, BlobResult::eNull, ""},
        {"no name", "12 34", false, BlobResult::eNull, ""},
        {"not a number", "x 16 data_1", false, BlobResult::eNull, ""},
        {"negative offset", "-1 16 data_1", false, BlobResult::eNull, ""},
        {"name of 260 characters", "0 4 " + kLongName + "n", false, BlobResult::eNull, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::u16string path = WriteBlobProject(dir, {c.text});
        std::vector<std::string> log;
        BlobHandler root(log);
        TestReader reader;
        reader.Parse(path, &root);
        ASSERT_EQ(1u, root.results.size());
        const BlobResult& result = root.results[0];
        EXPECT_EQ(c.ok, result.ok);
        EXPECT_EQ(c.blob, result.blob);
        if (result.blob == BlobResult::eSet) {
            // Blob bytes are never deciphered, although the document is.
            EXPECT_EQ(c.bytes, result.bytes);
            EXPECT_EQ(32, result.reserved1);
            EXPECT_EQ(0, result.reserved2);
        }
    }
    // The size the context reports before reading.
    const std::u16string path = WriteBlobProject(dir, {"0 16 data_1"});
    std::vector<std::string> log;
    BlobHandler root(log);
    TestReader reader;
    reader.Parse(path, &root);
    EXPECT_EQ(16, root.results[0].size);
}

TEST(BlobValuesTest, EntryOpensFollowTheReadingOrder) {
    qtest::TempDir dir;
    std::vector<qwriter::BlobPlacement> placements;
    const std::vector<qwriter::BlobEntry> entries = {
        {"data_7", eSAXCompressionDefault, {std::string(100, 'a'), std::string(100, 'b'), std::string(50, 'c')}}};
    struct Case {
        const char* name;
        std::vector<int> order;         // placements in document order
        std::vector<uint64_t> opens;    // entry opens by each ReadValue
        bool upperCaseSecond = false;
    };
    const Case cases[] = {
        {"forward: one pass", {0, 1, 2}, {1, 0, 0}},
        {"backward: reopened each time", {2, 1, 0}, {1, 1, 1}},
        {"same offset twice: reopened", {1, 1}, {1, 1}},
        {"other letter case: a new entry object", {0, 1}, {1, 1}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Placements are computed first, then written with the document.
        placements = qwriter::LayoutBlobEntries(entries);
        std::string xml = "<kor:ProjectFile>";
        for (size_t i = 0; i < c.order.size(); ++i) {
            qwriter::BlobPlacement placement = placements[size_t(c.order[i])];
            if (c.upperCaseSecond && i == 1) placement.entry = "DATA_7";
            xml += "<Blob>" + qwriter::BlobValueText(placement) + "</Blob>";
        }
        xml += "</kor:ProjectFile>";
        qwriter::ProjectFileOptions options;
        std::vector<qwriter::BlobPlacement> written;
        options.writeMore = qwriter::BlobEntriesWriter(entries, &written);
        const std::u16string path = readertest::WriteProject(dir, "order.kpf", xml, options);
        ASSERT_EQ(placements, written);

        std::vector<std::string> log;
        BlobHandler root(log);
        TestReader reader;
        reader.Parse(path, &root);
        ASSERT_EQ(c.order.size(), root.results.size());
        std::vector<uint64_t> opens;
        root.opensBefore.push_back(ZipEntryOpenCount());
        for (size_t i = 0; i < c.order.size(); ++i) {
            const std::string& expected = entries[0].values[size_t(c.order[i])];
            EXPECT_EQ(expected, root.results[i].bytes) << i;
            opens.push_back(root.opensBefore[i + 1] - root.opensBefore[i]);
        }
        // The last difference includes no further opens: the parse ends.
        EXPECT_EQ(c.opens, opens);
    }
}

TEST(BlobValuesTest, MissingEntryReachesTheCallerOrCanBeCaught) {
    qtest::TempDir dir;
    const std::u16string path = WriteBlobProject(dir, {"0 4 nothing", "4 4 data_1"});
    {
        std::vector<std::string> log;
        BlobHandler root(log);
        TestReader reader;
        try {
            reader.Parse(path, &root);
            ADD_FAILURE() << "no exception";
        } catch (const MZipArchiveError::MFileNotFound& e) {
            EXPECT_EQ(u"nothing", e.name);
        }
        EXPECT_TRUE(reader.Idle());
    }
    std::vector<std::string> log;
    BlobHandler root(log);
    root.catchMissing = true;
    TestReader reader;
    reader.Parse(path, &root);
    EXPECT_EQ(1, root.missing);
    ASSERT_EQ(1u, root.results.size());
    EXPECT_EQ(EntryBytes(1).substr(4, 4), root.results[0].bytes);
}

TEST(BlobValuesTest, ReadErrorInABlobBecomesADeflateError) {
    qtest::TempDir dir;
    const std::u16string path = WriteBlobProject(dir, {"0 16 data_2"});
    readertest::CorruptEntryData(qtest::Narrow(path), "data_2");
    std::vector<std::string> log;
    BlobHandler root(log);
    TestReader reader;
    try {
        reader.Parse(path, &root);
        ADD_FAILURE() << "no exception";
    } catch (const MSAXError::MDeflate& e) {
        EXPECT_EQ(u"Error while decompressing", e.detail);
    }
    EXPECT_TRUE(reader.Idle());
}

TEST(BlobValuesTest, HandedOutReadersLiveUntilTheEndTag) {
    qtest::TempDir dir;
    const std::u16string path = readertest::WriteProject(
        dir, "life.kpf", "<kor:ProjectFile><Blob>0 8 data_1</Blob><Next>0 8 data_1</Next></kor:ProjectFile>",
        [] {
            qwriter::ProjectFileOptions options;
            options.extraEntries = {{"data_1", EntryBytes(1), eSAXCompressionNone}};
            return options;
        }());
    std::vector<std::string> log;
    Recorder root("R", log);
    TestReader reader;
    std::vector<size_t> heldAt;
    root.onTag = [&](const std::u16string& tag, MSAXReader* r) {
        heldAt.push_back(reader.HandedOutBlobs());
        if (tag == u"Blob") {
            ISAXBlobRead* first = nullptr;
            ISAXBlobRead* second = nullptr;
            ASSERT_TRUE(r->ReadValue(first));
            ASSERT_TRUE(r->ReadValue(second));
            EXPECT_NE(first, second);
            // Both stay usable until the element ends.
            char byte = 0;
            EXPECT_EQ(1, first->GetContext()->fileInfo->ReadBuffer(&byte, 1));
            heldAt.push_back(reader.HandedOutBlobs());
        }
        if (tag == u"Next") {
            ISAXBlobRead* held = nullptr;
            ASSERT_TRUE(r->ReadValue(held));
            // Ends the parse while the reader is still handed out.
            throw MSAXError::MStopParsing();
        }
    };
    EXPECT_THROW(reader.Parse(path, &root), MSAXError::MStopParsing);
    EXPECT_THAT(heldAt, ElementsAre(0u, 0u, 2u, 0u));
    EXPECT_EQ(0u, reader.HandedOutBlobs());
    EXPECT_TRUE(reader.Idle());

    // The element text of the stopped element is still there, but with no
    // parse running there is nothing to read it from.
    ISAXBlobRead* blob = reinterpret_cast<ISAXBlobRead*>(&heldAt);
    EXPECT_FALSE(reader.ReadValue(blob));
    EXPECT_EQ(nullptr, blob);
}

}  // namespace
