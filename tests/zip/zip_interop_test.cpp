// Interoperation with other zip tools: archives made by Info-ZIP zip read
// byte-exactly, and archives we write pass Info-ZIP unzip -t and Python's
// zipfile testzip(). Skipped when a tool is not installed.

#include "archive/zip_archive.h"
#include "tests/support/temp_dir.h"
#include "tests/zip/zip_fixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

using ziptest::U16At;
using ziptest::U32At;

namespace {

bool HaveTool(const std::string& tool) {
    return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0;
}

int Shell(const std::string& command) {
    const int status = std::system(("(" + command + ") >/dev/null 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Quote(const std::string& text) { return "'" + text + "'"; }

std::string ReadEntry(MZipArchive& archive, const std::string& name) {
    MZipFile file = archive.OpenFile(name);
    std::string out;
    char buffer[4096];
    for (int got; (got = archive.ReadFile(file, buffer, sizeof buffer)) > 0;) out.append(buffer, size_t(got));
    EXPECT_TRUE(archive.IsEndOfFile(file));
    EXPECT_EQ(0, archive.CloseFile(file));  // the CRC matched
    return out;
}

std::string RandomBytes(size_t n) {
    std::mt19937 random(7);
    std::string out(n, '\0');
    for (char& c : out) c = char(random());
    return out;
}

// Turns every record signature of an archive without a comment from "KR" to "PK".
void StandardiseSignatures(std::string& bytes) {
    const size_t end = bytes.size() - 22;
    bytes[end] = 'P';
    bytes[end + 1] = 'K';
    size_t at = U32At(bytes, end + 16);
    for (unsigned i = 0; i < U16At(bytes, end + 10); ++i) {
        const size_t local = U32At(bytes, at + 42);
        bytes[at] = bytes[local] = 'P';
        bytes[at + 1] = bytes[local + 1] = 'K';
        at += 46 + U16At(bytes, at + 28) + U16At(bytes, at + 30) + U16At(bytes, at + 32);
    }
}

TEST(ZipInteropTest, InfoZipArchivesReadByteExactly) {
    if (!HaveTool("zip")) GTEST_SKIP() << "Info-ZIP zip is not installed";
    qtest::TempDir dir;
    const std::string d = Quote(dir.path().string());
    const std::string text = ziptest::SampleText(200000, 5);
    const std::string binary = RandomBytes(70000);
    qtest::WriteFileBytes(dir.File("plain.txt"), text);
    qtest::WriteFileBytes(dir.File("binary.bin"), binary);
    qtest::WriteFileBytes(dir.File("empty.txt"), "");
    const std::string files = " plain.txt binary.bin empty.txt";

    ASSERT_EQ(0, Shell("cd " + d + " && zip -q -0 stored.zip" + files));
    ASSERT_EQ(0, Shell("cd " + d + " && zip -q -9 deflated.zip" + files));
    ASSERT_EQ(0, Shell("cd " + d + " && cp deflated.zip commented.zip"
                       " && echo 'an archive comment' | zip -q -z commented.zip"));
    qtest::WriteFileBytes(dir.File("prepended.zip"),
                          std::string(100, 'x') + qtest::ReadFileBytes(dir.File("deflated.zip")));

    for (const char* name : {"stored.zip", "deflated.zip", "commented.zip", "prepended.zip"}) {
        SCOPED_TRACE(name);
        MZipArchive archive;
        ASSERT_TRUE(archive.Open(dir.WideFile(name)));
        EXPECT_EQ(text, ReadEntry(archive, "plain.txt"));
        EXPECT_EQ(binary, ReadEntry(archive, "BINARY.BIN"));
        EXPECT_EQ("", ReadEntry(archive, "empty.txt"));
    }
    EXPECT_NE(std::string::npos,
              qtest::ReadFileBytes(dir.File("commented.zip")).find("an archive comment"));

    // Written to a pipe, entries go with flag bit 3, a data descriptor and
    // local sizes that say nothing.
    ASSERT_EQ(0, Shell("cd " + d + " && zip -q - - < plain.txt | cat > streamed.zip"));
    const std::string streamed = qtest::ReadFileBytes(dir.File("streamed.zip"));
    ASSERT_EQ(8, U16At(streamed, 6) & 8);
    MZipArchive archive;
    ASSERT_TRUE(archive.Open(dir.WideFile("streamed.zip")));
    EXPECT_EQ(text, ReadEntry(archive, "-"));
}

TEST(ZipInteropTest, WrittenArchivesPassOtherTools) {
    const bool haveUnzip = HaveTool("unzip");
    const bool havePython = HaveTool("python3");
    if (!haveUnzip && !havePython) GTEST_SKIP() << "neither unzip nor python3 is installed";
    qtest::TempDir dir;
    const std::string text = ziptest::SampleText(300000, 9);
    const std::string binary = RandomBytes(50000);
    for (bool alternative : {false, true}) {
        SCOPED_TRACE(alternative ? "KR records turned back to PK" : "PK records");
        const std::string path = dir.File(alternative ? "kr.zip" : "pk.zip");
        {
            MZipArchive writer(alternative);
            ASSERT_TRUE(writer.Create(qtest::Widen(path)));
            struct Entry {
                const char* name;
                const std::string& data;
                ESAXCompressionLevel level;
            };
            const std::string empty;
            for (const Entry& e : {Entry{"header.xml", text, eSAXCompressionDefault},
                                   Entry{"blob_0000", binary, eSAXCompressionNone},
                                   Entry{"blob_0001", binary, eSAXCompressionBest},
                                   Entry{"blob_0002", text, eSAXCompressionFastest},
                                   Entry{"empty", empty, eSAXCompressionDefault}}) {
                MZipFile file = writer.OpenNewFile(e.name, e.level);
                writer.WriteFile(file, e.data.data(), uint32_t(e.data.size()));
                writer.CloseNewFile(file);
            }
            ASSERT_TRUE(writer.Close());
        }
        if (alternative) {
            std::string bytes = qtest::ReadFileBytes(path);
            ASSERT_EQ("KR", bytes.substr(0, 2));
            StandardiseSignatures(bytes);
            qtest::WriteFileBytes(path, bytes);
        }
        if (haveUnzip) {
            EXPECT_EQ(0, Shell("unzip -t " + Quote(path)));
        }
        if (havePython) {
            EXPECT_EQ(0, Shell("python3 -c 'import sys, zipfile; z = zipfile.ZipFile(sys.argv[1]); "
                             "sys.exit(z.testzip() is not None or len(z.namelist()) != 5)' " +
                             Quote(path)));
        }
    }
}

}  // namespace
