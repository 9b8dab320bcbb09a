// The project-file writer: entries, descriptor and enciphering of the header.

#include "tools/writer/project_writer.h"

#include "archive/zip_archive.h"
#include "crypt/word_cipher.h"
#include "errors/zip_archive_error.h"
#include "tests/support/temp_dir.h"
#include "tests/zip/zip_fixture.h"

#include <gtest/gtest.h>

namespace {

// Entry content read in the reader's 4096-byte chunks; each chunk deciphered
// with key when one is given.
std::string ReadEntry(const std::u16string& path, const std::string& name,
                      std::optional<uint32_t> key = std::nullopt) {
    MZipArchive archive;
    EXPECT_TRUE(archive.Open(path));
    MZipFile file = archive.OpenFile(name);
    std::string out;
    char buffer[4096];
    for (int got; (got = archive.ReadFile(file, buffer, sizeof buffer)) > 0;) {
        if (key) DecryptBuffer(buffer, uint32_t(got), *key);
        out.append(buffer, size_t(got));
    }
    return out;
}

bool HasEntry(const std::u16string& path, const std::string& name) {
    MZipArchive archive;
    EXPECT_TRUE(archive.Open(path));
    try {
        archive.OpenFile(name);
        return true;
    } catch (const MZipArchiveError::MFileNotFound&) {
        return false;
    }
}

TEST(ProjectWriterTest, LevelsWriteDescriptorAndEncipheredHeader) {
    qtest::TempDir dir;
    // Not a multiple of 4096 nor of 4, so the short last chunk and the cipher's
    // tail both occur; longer than one write piece.
    const std::string xml = "<kor:ProjectFile>" + ziptest::SampleText(1100003) + "</kor:ProjectFile>";
    struct Case {
        int level;
        uint32_t key;
        std::optional<uint32_t> decipherKey;
    };
    const Case cases[] = {{0, 0, std::nullopt}, {1, 0xDEADBEEF, 0xDEADBEEFu}, {2, 7, qwriter::kFixedKey}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.level);
        qwriter::ProjectFileOptions options;
        options.level = c.level;
        options.key = c.key;
        const std::u16string path = dir.WideFile("p" + std::to_string(c.level) + ".kpf");
        qwriter::WriteProjectFile(path, xml, options);
        EXPECT_EQ(xml, ReadEntry(path, "header.xml", c.decipherKey));
        if (c.level == 0) {
            EXPECT_FALSE(HasEntry(path, "blob_0000"));
        } else {
            EXPECT_NE(xml, ReadEntry(path, "header.xml"));
            EXPECT_EQ(qwriter::DescriptorBytes(c.level, c.key), ReadEntry(path, "blob_0000"));
        }
    }
    EXPECT_EQ(std::string("\x02\0\0\0\xe3\x17\x3c\x5a", 8), qwriter::DescriptorBytes(2, 1));
    EXPECT_EQ(std::string("\x01\0\0\0\x04\x03\x02\x01", 8), qwriter::DescriptorBytes(1, 0x01020304));
}

TEST(ProjectWriterTest, OptionsShapeTheContainer) {
    qtest::TempDir dir;
    const std::u16string path = dir.WideFile("opts.kpf");
    qwriter::ProjectFileOptions options;
    options.descriptorBytes = std::string("\x03\0\0", 3);
    options.alternativeSignatures = true;
    options.headerLevel = eSAXCompressionNone;
    options.extraEntries = {{"blob_0001", "raw bytes", eSAXCompressionNone},
                            {"blob_0002", std::string(10000, 'z'), eSAXCompressionBest}};
    options.writeMore = [](MZipArchive& archive) {
        MZipFile file = archive.OpenNewFile("more", eSAXCompressionFastest);
        archive.WriteFile(file, "hook", 4);
        archive.CloseNewFile(file);
    };
    qwriter::WriteProjectFile(path, "<x/>", options);

    const std::string bytes = qtest::ReadFileBytes(qtest::Narrow(path));
    EXPECT_EQ("KR", bytes.substr(0, 2));
    EXPECT_EQ(std::string("\x03\0\0", 3), ReadEntry(path, "blob_0000"));
    EXPECT_EQ("<x/>", ReadEntry(path, "header.xml"));
    EXPECT_EQ("raw bytes", ReadEntry(path, "blob_0001"));
    EXPECT_EQ(std::string(10000, 'z'), ReadEntry(path, "blob_0002"));
    EXPECT_EQ("hook", ReadEntry(path, "more"));

    qwriter::ProjectFileOptions descriptorOnly;
    descriptorOnly.writeDescriptor = true;
    qwriter::WriteProjectFile(path, "<x/>", descriptorOnly);
    EXPECT_EQ(qwriter::DescriptorBytes(0, 0), ReadEntry(path, "blob_0000"));

    EXPECT_THROW(qwriter::WriteProjectFile(dir.WideFile("no/dir/x.kpf"), "<x/>"), std::runtime_error);
}

}  // namespace
