// Header extraction and the reader's queries.

#include "tests/reader/reader_fixture.h"

#include "errors/sax_error.h"
#include "errors/zip_archive_error.h"
#include "reader/parse_timing.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using readertest::Recorder;
using readertest::TestReader;

// A document of exactly size bytes, also below the size of a well-formed one:
// extraction neither parses nor checks it.
std::string Bytes(std::size_t size) {
    std::string bytes;
    for (std::size_t i = 0; i < size; ++i) bytes.push_back(static_cast<char>('a' + (i * 31 + i / 7) % 26));
    return bytes;
}

TEST(ExtractXMLHeaderTest, OutputIsTheDecipheredDocument) {
    qtest::TempDir dir;
    const std::string output = dir.File("out.xml");
    for (int level = 0; level <= 2; ++level) {
        for (bool alternative : {false, true}) {
            // 4097 and 4099 leave an 8-bit and a 16-bit tail for the cipher.
            for (std::size_t size : {0u, 1u, 4095u, 4096u, 4097u, 4099u, 8192u, 20003u}) {
                SCOPED_TRACE("level " + std::to_string(level) + (alternative ? " KR" : " PK") + " size " +
                             std::to_string(size));
                qwriter::ProjectFileOptions options;
                options.level = level;
                options.key = 0xA5A5F00D;
                options.alternativeSignatures = alternative;
                const std::string document = Bytes(size);
                const std::u16string project = readertest::WriteProject(dir, "p.kpf", document, options);
                qtest::WriteFileBytes(output, "previous content, longer than some documents");
                EXPECT_TRUE(MSAXReader::ExtractXMLHeader(project.c_str(), qtest::Widen(output).c_str()));
                EXPECT_EQ(document, qtest::ReadFileBytes(output));
            }
        }
    }
}

TEST(ExtractXMLHeaderTest, Failures) {
    qtest::TempDir dir;
    qwriter::ProjectFileOptions level1;
    level1.level = 1;
    level1.key = 9;
    qwriter::ProjectFileOptions level5;
    level5.descriptorBytes = qwriter::DescriptorBytes(5, 0);
    const std::u16string good = readertest::WriteProject(dir, "good.kpf", Bytes(9000), level1);
    const std::u16string corrupt = readertest::WriteProject(dir, "corrupt.kpf", Bytes(9000), level1);
    readertest::CorruptEntryData(dir.File("corrupt.kpf"), "header.xml");
    const std::u16string noHeader = dir.WideFile("noheader.kpf");
    {
        MZipArchive archive;
        ASSERT_TRUE(archive.Create(noHeader));
        MZipFile entry = archive.OpenNewFile("other.xml", eSAXCompressionDefault);
        archive.CloseNewFile(entry);
        ASSERT_TRUE(archive.Close());
    }
    qtest::WriteFileBytes(dir.File("text.txt"), "not a container");
    // Writes to the device fail once the stream is flushed; the link is what
    // gets deleted afterwards, never the device.
    std::error_code noFull;
    std::filesystem::create_symlink("/dev/full", dir.path() / "full.xml", noFull);

    enum Thrown { eOpenRead, eUnknownLevel, eNotProject, eOpenWrite, eZipDeflate };
    struct Case {
        const char* name;
        std::u16string project;
        std::string output;
        bool outputExisted;
        Thrown thrown;
        bool outputRemains;  // else the output path is gone afterwards
    };
    const std::string missingDir = dir.File("no/such/dir/out.xml");
    const Case cases[] = {
        {"project file missing", dir.WideFile("absent.kpf"), dir.File("o1.xml"), false, eOpenRead, false},
        {"project file not a container", dir.WideFile("text.txt"), dir.File("o2.xml"), false, eOpenRead, false},
        {"unknown level", readertest::WriteProject(dir, "l5.kpf", "<kor:ProjectFile/>", level5),
         dir.File("o3.xml"), false, eUnknownLevel, false},
        {"no header.xml, output left as it was", noHeader, dir.File("o4.xml"), true, eNotProject, true},
        {"output cannot be opened", good, missingDir, false, eOpenWrite, false},
        {"output is the project file: left intact", good, dir.File("good.kpf"), false, eOpenWrite, true},
        {"read error: output deleted", corrupt, dir.File("o5.xml"), true, eZipDeflate, false},
        {"write error: output deleted", good, noFull ? std::string() : dir.File("full.xml"), true, eOpenWrite,
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.output.empty()) continue;  // no /dev/full here
        if (c.outputExisted && c.thrown != eOpenWrite) qtest::WriteFileBytes(c.output, "existing");
        const std::u16string output = qtest::Widen(c.output);
        try {
            MSAXReader::ExtractXMLHeader(c.project.c_str(), output.c_str());
            ADD_FAILURE() << "no exception";
        } catch (const MSAXError::MFileOpenRead& e) {
            EXPECT_EQ(eOpenRead, c.thrown);
            EXPECT_EQ(u"Failed to open file for reading" + c.project, e.message);
        } catch (const MSAXError::MDecryptUnknownLevel&) {
            EXPECT_EQ(eUnknownLevel, c.thrown);
        } catch (const MSAXError::MNotAKorProjectFile&) {
            EXPECT_EQ(eNotProject, c.thrown);
        } catch (const MSAXError::MFileOpenWrite& e) {
            EXPECT_EQ(eOpenWrite, c.thrown);
            EXPECT_EQ(u"Failed to open file for writing" + output, e.message);
        } catch (const MZipArchiveError::MDeflate& e) {
            EXPECT_EQ(eZipDeflate, c.thrown);
            EXPECT_EQ(u"header.xml", e.name);
        }
        const bool exists = std::filesystem::is_symlink(std::filesystem::u8path(c.output)) ||
                            std::filesystem::exists(std::filesystem::u8path(c.output));
        EXPECT_EQ(c.outputRemains, exists);
        if (c.outputRemains && c.outputExisted) {
            EXPECT_EQ("existing", qtest::ReadFileBytes(c.output));
        }
    }
    // The project file survived the attempt to extract into itself.
    const std::string extracted = dir.File("good.xml");
    EXPECT_TRUE(MSAXReader::ExtractXMLHeader(good.c_str(), qtest::Widen(extracted).c_str()));
    EXPECT_EQ(Bytes(9000), qtest::ReadFileBytes(extracted));
}

TEST(ReaderQueriesTest, EncryptionLevelAndArchiveName) {
    qtest::TempDir dir;
    struct Case {
        const char* name;
        qwriter::ProjectFileOptions options;
        int level;
        const char16_t* display;
        bool known;
    };
    qwriter::ProjectFileOptions level0;
    qwriter::ProjectFileOptions level0WithDescriptor;
    level0WithDescriptor.writeDescriptor = true;
    qwriter::ProjectFileOptions level1;
    level1.level = 1;
    level1.key = 1234;
    qwriter::ProjectFileOptions level2;
    level2.level = 2;
    const Case cases[] = {
        {"no descriptor", level0, 0, u"No Encryption", true},
        {"level 0 descriptor", level0WithDescriptor, 0, u"No Encryption", true},
        {"level 1", level1, 1, u"Korvane 32 Bit", true},
        {"level 2", level2, 2, u"Invalid", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::u16string path = readertest::WriteProject(dir, "q.kpf", readertest::kSampleDocument, c.options);
        TestReader reader;
        std::u16string display = u"unchanged";
        EXPECT_EQ(-1, reader.GetFileInfoEncryption());
        EXPECT_FALSE(reader.GetFileInfoEncryption(display));
        EXPECT_EQ(u"Invalid", display);
        EXPECT_EQ(u"", reader.GetArchiveFileName());

        std::vector<std::string> log;
        Recorder root("R", log);
        std::u16string during;
        ESAXEncryptionLevel levelDuring = kEncryptionLevelUnknown;
        root.onTag = [&](const std::u16string&, MSAXReader* r) {
            during = r->GetArchiveFileName();
            levelDuring = r->GetFileInfoEncryption();
        };
        reader.Parse(path, &root);
        EXPECT_EQ(path, during);
        EXPECT_EQ(c.level, levelDuring);
        EXPECT_EQ(u"", reader.GetArchiveFileName());
        EXPECT_EQ(c.level, reader.GetFileInfoEncryption());
        EXPECT_EQ(c.known, reader.GetFileInfoEncryption(display));
        EXPECT_EQ(c.display, display);
    }
}

TEST(TimingReportTest, FormatsSixDecimalsAndAFloatTotal) {
    EXPECT_EQ(u"Total:3.750000\nDecompressing:1.500000\nDecrypting:0.250000\nParsing:2.000000\n",
              qreader::FormatTimingReport(1.5f, 0.25f, 2.0f));
    // The total is a float sum: 16777216 + 1 + 1 rounds to 16777216 at each step.
    EXPECT_EQ(u"Total:16777216.000000\nDecompressing:16777216.000000\nDecrypting:1.000000\nParsing:1.000000\n",
              qreader::FormatTimingReport(16777216.0f, 1.0f, 1.0f));
}

}  // namespace
