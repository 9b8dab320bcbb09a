// The writer's blob entries: the placements it reports name the values' bytes
// when read back as blob value texts through the blob store.

#include "archive/blob_archive.h"
#include "archive/blob_value.h"
#include "archive/zip_archive.h"
#include "tests/blob/blob_fixture.h"
#include "tests/support/temp_dir.h"
#include "tools/writer/blob_entries.h"
#include "tools/writer/project_writer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using blobtest::Pattern;

TEST(BlobEntriesWriter, ValueTextIsOffsetSizeName) {
    EXPECT_EQ(qwriter::BlobValueText({"data_1", 0, 16}), "0 16 data_1");
    EXPECT_EQ(qwriter::BlobValueText({"b", 16384, 0}), "16384 0 b");
}

TEST(BlobEntriesWriter, PlacementsReadBackThroughTheStore) {
    const std::vector<qwriter::BlobEntry> entries = {
        {"data_1", eSAXCompressionNone, {"hello", "", Pattern(20000, 1), "x"}},
        {"data_2", eSAXCompressionBest, {Pattern(40000, 2), Pattern(17, 3)}},
    };
    const std::vector<qwriter::BlobPlacement> layout = qwriter::LayoutBlobEntries(entries);
    std::vector<std::string> values;
    for (const auto& entry : entries) values.insert(values.end(), entry.values.begin(), entry.values.end());
    ASSERT_EQ(layout.size(), values.size());

    for (int32_t chunk : {0, 7, 16385}) {
        SCOPED_TRACE(chunk);
        qtest::TempDir dir;
        MZipArchive archive;
        ASSERT_TRUE(archive.Create(dir.WideFile("project.zip")));
        const auto placements = qwriter::WriteBlobEntries(archive, entries, chunk);
        ASSERT_TRUE(archive.Close());
        EXPECT_EQ(placements, layout);

        MSAXBlobArchive store(dir.WideFile("project.zip"));
        for (size_t i = 0; i < placements.size(); ++i) {
            MSAXBlobValue value;
            ASSERT_EQ(ParseBlobValue(qtest::Widen(qwriter::BlobValueText(placements[i])), value),
                      ESAXBlobValueParse::eValid);
            MSAXBlobFileInfo* blob = store.GetBlobFileInfo(qtest::Narrow(value.entryName), value.offset, value.size);
            ASSERT_NE(blob, nullptr);
            std::string got(values[i].size(), '\0');
            EXPECT_EQ(blob->ReadBuffer(got.data(), value.size), value.size);
            EXPECT_EQ(got, values[i]) << "value " << i;
        }
    }
}

// Blob entries written through the project writer's hook sit beside an
// enciphered header and "KR" records, and are read back as they were written.
TEST(BlobEntriesWriter, HookWritesIntoAProjectFile) {
    qtest::TempDir dir;
    std::vector<qwriter::BlobPlacement> placements;
    qwriter::ProjectFileOptions options;
    options.level = 1;
    options.key = 0x12345678;
    options.alternativeSignatures = true;
    options.writeMore = qwriter::BlobEntriesWriter(
        {{"data_1", eSAXCompressionDefault, {Pattern(100, 4), Pattern(30000, 5)}}}, &placements);
    qwriter::WriteProjectFile(dir.WideFile("project.kor"), "<kor:ProjectFile/>", options);

    ASSERT_EQ(placements.size(), 2u);
    EXPECT_EQ(qwriter::BlobValueText(placements[1]), "100 30000 data_1");
    MSAXBlobArchive store(dir.WideFile("project.kor"));
    MSAXBlobFileInfo* blob = store.GetBlobFileInfo("data_1", 100, 30000);
    std::string got(30000, '\0');
    EXPECT_EQ(blob->ReadBuffer(got.data(), 30000), 30000);
    EXPECT_EQ(got, Pattern(30000, 5));
}

}  // namespace
