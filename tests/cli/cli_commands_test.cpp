// The `quenzil` binary on the bundled samples and on writer-made files: each
// command's output, its error reports and its exit statuses.
#include "archive/zip_archive.h"
#include "tests/cli/cli_runner.h"
#include "tests/support/temp_dir.h"
#include "tools/writer/project_writer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

using qtest::CliResult;
using qtest::RunCli;
using qtest::SamplePath;
using ::testing::HasSubstr;

constexpr const char* kShedSamples[] = {"plain.kpf", "level1.kpf", "level2.kpf", "alt-signatures.kpf"};

class CliTest : public ::testing::Test {
protected:
    CliResult Run(const std::vector<std::string>& args) { return RunCli(args, dir.path().string()); }
    std::string File(const std::string& name) const { return dir.File(name); }
    bool Exists(const std::string& name) const { return std::filesystem::exists(File(name)); }

    qtest::TempDir dir;
};

// ---- Usage: exit status 2, and help for every command ----

struct UsageCase {
    std::vector<std::string> args;
    std::string stderrHas;
};

TEST_F(CliTest, UsageErrorsExitWith2AndSayWhatIsWrong) {
    const UsageCase cases[] = {
        {{}, "usage: quenzil <command>"},
        {{"frobnicate"}, "unknown command 'frobnicate'"},
        {{"version"}, "version: missing argument"},
        {{"extract"}, "extract: missing argument"},
        {{"extract", "a", "b", "c"}, "unexpected argument 'c'"},
        {{"info", "--bogus", "f"}, "unknown option '--bogus'"},
        {{"info", "--json=1", "f"}, "option '--json' takes no value"},
        {{"convert", "in"}, "convert: missing argument"},
        {{"convert", "in", "out", "--codepage", "abc"}, "option '--codepage' needs a decimal number"},
        {{"convert", "in", "out", "--codepage", "4242"}, "code page 4242 is not supported"},
        {{"pack", "o.kpf"}, "--header FILE is required"},
        {{"pack", "o.kpf", "--header", "h", "--level", "3"}, "--level must be 0, 1 or 2"},
        {{"pack", "o.kpf", "--header", "h", "--level", "1"}, "--level 1 needs --key K"},
        {{"pack", "o.kpf", "--header", "h", "--key", "5"}, "--key applies to --level 1 only"},
        {{"pack", "o.kpf", "--header", "h", "--level", "1", "--key", "0x100000000"}, "at most 32 bits"},
        {{"pack", "o.kpf", "--header", "h", "--blob", "noequals"}, "--blob needs NAME=FILE"},
        {{"pack", "o.kpf", "--header", "h", "--blob", "Blob_0000=f"}, "is reserved"},
        {{"pack", "o.kpf", "--header", "h", "--blob", "a=f", "--blob", "A=g"}, "given twice"},
        {{"pack", "o.kpf", "--header", "h", "--blob", "a b=f"}, "holds white space"},
        {{"pack", "o.kpf", "--header", "h", "--blob", std::string(260, 'n') + "=f"}, "longer than 259"},
    };
    for (const UsageCase& c : cases) {
        const CliResult r = Run(c.args);
        EXPECT_EQ(r.exitStatus, 2) << ::testing::PrintToString(c.args);
        EXPECT_THAT(r.err, HasSubstr(c.stderrHas)) << ::testing::PrintToString(c.args);
        EXPECT_EQ(r.out, "") << ::testing::PrintToString(c.args);
    }
    EXPECT_FALSE(Exists("o.kpf"));
}

TEST_F(CliTest, EveryCommandHasHelpAndTheToolHasAVersion) {
    for (const char* command : {"version", "extract", "convert", "info", "pack"}) {
        const CliResult r = Run({command, "--help"});
        EXPECT_EQ(r.exitStatus, 0) << command;
        EXPECT_EQ(r.out.rfind(std::string("usage: quenzil ") + command, 0), 0u) << r.out;
        EXPECT_EQ(r.err, "");
    }
    const CliResult overview = Run({"--help"});
    EXPECT_EQ(overview.exitStatus, 0);
    EXPECT_THAT(overview.out, HasSubstr("Exit status: 0 success, 1 bad input"));

    const CliResult version = Run({"--version"});
    EXPECT_EQ(version.exitStatus, 0);
    EXPECT_EQ(version.out.rfind("<KorLibrary::Quenzil::02::00::00::00::Unicode-Intel-Release::Timestamp::", 0), 0u)
        << version.out;
    EXPECT_EQ(version.out.substr(version.out.size() - 2), ">\n");
}

// ---- Broken project files: the typed report and exit status 1 ----

struct BrokenFile {
    const char* name;
    std::function<void(const std::string& path)> make;
};

void WriteText(const std::string& path) { qtest::WriteFileBytes(path, "just some text\n"); }

void WriteWithoutHeader(const std::string& path) {
    MZipArchive archive;
    ASSERT_TRUE(archive.Create(qtest::Widen(path)));
    MZipFile entry = archive.OpenNewFile("other.xml", eSAXCompressionDefault);
    archive.WriteFile(entry, "<x/>", 4);
    archive.CloseNewFile(entry);
    ASSERT_TRUE(archive.Close());
}

void WriteProject(const std::string& path, const std::string& header, const qwriter::ProjectFileOptions& options = {}) {
    qwriter::WriteProjectFile(qtest::Widen(path), header, options);
}

// A deflated "header.xml" whose data starts with a reserved deflate block type.
void WriteDamagedDeflate(const std::string& path) {
    WriteProject(path, "<kor:ProjectFile>" + std::string(2000, ' ') + "</kor:ProjectFile>");
    std::string bytes = qtest::ReadFileBytes(path);
    const size_t data = 30 + std::string("header.xml").size();  // the only entry: its data follow its header
    ASSERT_GT(bytes.size(), data + 8);
    for (size_t i = 0; i < 8; ++i) bytes[data + i] = '\xff';
    qtest::WriteFileBytes(path, bytes);
}

const BrokenFile kNotZip{"not-zip.kpf", WriteText};
const BrokenFile kNoHeader{"no-header.kpf", WriteWithoutHeader};
const BrokenFile kForeignRoot{"foreign-root.kpf", [](const std::string& p) { WriteProject(p, "<other/>"); }};
const BrokenFile kMalformed{"malformed.kpf",
                            [](const std::string& p) { WriteProject(p, "<kor:ProjectFile><a></kor:ProjectFile>"); }};
const BrokenFile kUnknownLevel{"level5.kpf", [](const std::string& p) {
                                   qwriter::ProjectFileOptions o;
                                   o.level = 5;
                                   WriteProject(p, "<kor:ProjectFile/>", o);
                               }};
const BrokenFile kDamaged{"damaged.kpf", WriteDamagedDeflate};

struct FailureCase {
    const BrokenFile* file;
    std::string command;  // "version", "info" or "extract"
    std::string report;   // the line on stderr after "quenzil: "
};

TEST_F(CliTest, BrokenFilesGiveTheLibrarysTypedErrorAndExit1) {
    const FailureCase cases[] = {
        {&kNotZip, "version", "MSAXError::MFileOpenRead (525): Failed to open file for reading"},
        {&kNotZip, "info", "MSAXError::MFileOpenRead (525): Failed to open file for reading"},
        {&kNotZip, "extract", "MSAXError::MFileOpenRead (525): Failed to open file for reading"},
        {&kNoHeader, "version", "MSAXError::MNotAKorProjectFile (527): Not a valid project file"},
        {&kNoHeader, "info", "MSAXError::MNotAKorProjectFile (527): Not a valid project file"},
        {&kNoHeader, "extract", "MSAXError::MNotAKorProjectFile (527): Not a valid project file"},
        {&kForeignRoot, "version", "MSAXError::MNotAKorProjectFile (527): Not a valid project file"},
        {&kForeignRoot, "info", "MSAXError::MNotAKorProjectFile (527): Not a valid project file"},
        {&kMalformed, "version", "MSAXError::MParse (528): Internal Parsing Error"},
        {&kMalformed, "info", "MSAXError::MParse (528): Internal Parsing Error"},
        {&kUnknownLevel, "version", "MSAXError::MDecryptUnknownLevel (531): Unknown Encryption level"},
        {&kUnknownLevel, "info", "MSAXError::MDecryptUnknownLevel (531): Unknown Encryption level"},
        {&kUnknownLevel, "extract", "MSAXError::MDecryptUnknownLevel (531): Unknown Encryption level"},
        {&kDamaged, "version", "MSAXError::MDeflate (529): Deflating Error (Error while decompressing)"},
        {&kDamaged, "info", "MSAXError::MDeflate (529): Deflating Error (Error while decompressing)"},
        {&kDamaged, "extract", "MZipArchiveError::MDeflate: Error while decompressing (entry \"header.xml\")"},
    };
    for (const FailureCase& c : cases) {
        const std::string path = File(c.file->name);
        if (!Exists(c.file->name)) c.file->make(path);
        const CliResult r = Run({c.command, path});
        const std::string label = c.command + " " + c.file->name;
        EXPECT_EQ(r.exitStatus, 1) << label;
        EXPECT_EQ(r.err.rfind("quenzil: " + c.report, 0), 0u) << label << ": " << r.err;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << label << ": one line expected: " << r.err;
        EXPECT_EQ(r.out, "") << label;
    }
}

// ---- version ----

TEST_F(CliTest, VersionPrintsTheFourNumbersOfEachSample) {
    for (const char* sample : kShedSamples) {
        const CliResult r = Run({"version", SamplePath(sample)});
        EXPECT_EQ(r.exitStatus, 0) << sample << r.err;
        EXPECT_EQ(r.out, "3.1.0.27\n") << sample;
    }
    const CliResult several = Run({"version", SamplePath("version-only.kpf"), SamplePath("level2.kpf")});
    EXPECT_EQ(several.exitStatus, 0);
    EXPECT_EQ(several.out, SamplePath("version-only.kpf") + ": 1.4.2.108\n" + SamplePath("level2.kpf") +
                               ": 3.1.0.27\n");
}

TEST_F(CliTest, VersionAnswersTheReadableFilesWhenOneFails) {
    WriteProject(File("none.kpf"), "<kor:ProjectFile><Title>no version</Title></kor:ProjectFile>");
    const CliResult r = Run({"version", "missing.kpf", "none.kpf", SamplePath("plain.kpf")});
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_EQ(r.out, "none.kpf: 0.0.0.0\n" + SamplePath("plain.kpf") + ": 3.1.0.27\n");
    EXPECT_EQ(r.err, "quenzil: missing.kpf: MSAXError::MFileOpenRead (525): Failed to open file for readingmissing.kpf\n");
}

// ---- extract ----

TEST_F(CliTest, ExtractWritesTheDecipheredDocumentToAFileOrStdout) {
    const CliResult plain = Run({"extract", SamplePath("plain.kpf"), "plain.xml"});
    ASSERT_EQ(plain.exitStatus, 0) << plain.err;
    EXPECT_EQ(plain.out, "");
    const std::string document = qtest::ReadFileBytes(File("plain.xml"));
    EXPECT_THAT(document, HasSubstr("<Title>Garden shed</Title>"));
    EXPECT_THAT(document, HasSubstr(" drawing</Drawing>"));  // the placeholder became a blob value
    EXPECT_EQ(document.find("{{blob:"), std::string::npos);

    for (const char* sample : kShedSamples) {
        for (const std::vector<std::string>& tail : {std::vector<std::string>{"-"}, std::vector<std::string>{}}) {
            std::vector<std::string> args = {"extract", SamplePath(sample)};
            args.insert(args.end(), tail.begin(), tail.end());
            const CliResult r = Run(args);
            EXPECT_EQ(r.exitStatus, 0) << sample;
            EXPECT_EQ(r.out, document) << sample << " " << tail.size();
        }
    }
}

TEST_F(CliTest, ExtractRefusesOrFailsWithoutHarmingFiles) {
    WriteWithoutHeader(File("no-header.kpf"));
    qtest::WriteFileBytes(File("out.xml"), "keep me");
    const CliResult r = Run({"extract", "no-header.kpf", "out.xml"});
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_EQ(qtest::ReadFileBytes(File("out.xml")), "keep me");

    WriteProject(File("self.kpf"), "<kor:ProjectFile/>");
    const std::string before = qtest::ReadFileBytes(File("self.kpf"));
    const CliResult self = Run({"extract", "self.kpf", "./self.kpf"});
    EXPECT_EQ(self.exitStatus, 1);
    EXPECT_EQ(self.err, "quenzil: the output './self.kpf' is the project file itself\n");
    EXPECT_EQ(qtest::ReadFileBytes(File("self.kpf")), before);

    const CliResult unwritable = Run({"extract", SamplePath("plain.kpf"), "no/such/dir/out.xml"});
    EXPECT_EQ(unwritable.exitStatus, 1);
    EXPECT_THAT(unwritable.err, HasSubstr("MSAXError::MFileOpenWrite (526): Failed to open file for writing"));
}

// ---- info ----

struct InfoCase {
    const char* sample;
    const char* encryption;
    const char* signature;  // of every record
};

TEST_F(CliTest, InfoDescribesContainerEncryptionCountsVersionAndTiming) {
    const InfoCase cases[] = {
        {"plain.kpf", "encryption: 0 (No Encryption)", "PK"},
        {"level1.kpf", "encryption: 1 (Korvane 32 Bit)", "PK"},
        {"level2.kpf", "encryption: 2 (Invalid)", "PK"},
        {"alt-signatures.kpf", "encryption: 0 (No Encryption)", "KR"},
    };
    for (const InfoCase& c : cases) {
        const CliResult r = Run({"info", SamplePath(c.sample)});
        ASSERT_EQ(r.exitStatus, 0) << c.sample << r.err;
        EXPECT_EQ(r.err, "") << "no progress line when stderr is not a terminal";
        EXPECT_THAT(r.out, HasSubstr(c.encryption)) << c.sample;
        EXPECT_THAT(r.out, HasSubstr(std::string("end record ") + c.signature)) << c.sample;
        EXPECT_THAT(r.out, HasSubstr(std::string(" ") + c.signature + "    header.xml\n")) << r.out;
        EXPECT_THAT(r.out, HasSubstr(std::string(" ") + c.signature + "    drawing\n")) << r.out;
        // 37 elements of which 6 are "id" elements; Drawing and Notes hold blob values.
        EXPECT_THAT(r.out, HasSubstr("elements: 37\nids: 6\nblob values: 2\nversion: 3.1.0.27\n"));
        EXPECT_THAT(r.out, HasSubstr("timing (ms):\n  Total:"));
    }
    const CliResult level1 = Run({"info", SamplePath("level1.kpf")});
    EXPECT_THAT(level1.out, HasSubstr(" blob_0000\n"));
    const CliResult plain = Run({"info", SamplePath("plain.kpf")});
    EXPECT_EQ(plain.out.find("blob_0000"), std::string::npos);
}

// The reader accepts either form record by record; info reports each one.
TEST_F(CliTest, InfoShowsACentralAndLocalHeaderOfDifferentForms) {
    std::string bytes = qtest::ReadFileBytes(SamplePath("plain.kpf"));
    ASSERT_EQ(bytes.compare(0, 4, "PK\x03\x04"), 0);  // the local header of "header.xml"
    bytes[0] = 'K';
    bytes[1] = 'R';
    qtest::WriteFileBytes(File("mixed.kpf"), bytes);
    const CliResult r = Run({"info", "mixed.kpf"});
    ASSERT_EQ(r.exitStatus, 0) << r.err;
    EXPECT_THAT(r.out, HasSubstr(" PK/KR header.xml\n"));
    EXPECT_THAT(r.out, HasSubstr(" PK    drawing\n"));
    const CliResult json = Run({"info", "mixed.kpf", "--json"});
    EXPECT_THAT(json.out, HasSubstr("\"centralSignature\": \"PK\",\n      \"localSignature\": \"KR\""));
}

TEST_F(CliTest, InfoJsonCarriesTheSameFacts) {
    const CliResult r = Run({"info", SamplePath("alt-signatures.kpf"), "--json"});
    ASSERT_EQ(r.exitStatus, 0) << r.err;
    for (const char* fact : {"\"endRecordSignature\": \"KR\"", "\"name\": \"header.xml\"",
                             "\"centralSignature\": \"KR\"", "\"localSignature\": \"KR\"", "\"method\": \"deflated\"",
                             "\"level\": 0", "\"name\": \"No Encryption\"", "\"elements\": 37", "\"ids\": 6",
                             "\"blobValues\": 2", "\"text\": \"3.1.0.27\"", "\"build\": 27", "\"total\": "})
        EXPECT_THAT(r.out, HasSubstr(fact));
    EXPECT_EQ(r.out.front(), '{');
    EXPECT_EQ(r.out.substr(r.out.size() - 2), "}\n");
}

TEST_F(CliTest, InfoCountsOnlyBlobValuesThatNameAnEntry) {
    WriteProject(File("refs.kpf"),
                 "<kor:ProjectFile><A>0 4 header.xml</A><B>0 4 absent</B><C>1 2</C></kor:ProjectFile>");
    const CliResult r = Run({"info", "refs.kpf"});
    ASSERT_EQ(r.exitStatus, 0) << r.err;
    EXPECT_THAT(r.out, HasSubstr("elements: 4\nids: 0\nblob values: 1\nversion: 0.0.0.0\n"));
}

// ---- convert ----

TEST_F(CliTest, ConvertWritesUtf16AndReportsFailuresOnStderr) {
    qtest::WriteFileBytes(File("in.txt"), "A\r\nB\xe9");
    const CliResult r = Run({"convert", "in.txt", "out.txt", "--codepage", "1252"});
    EXPECT_EQ(r.exitStatus, 0) << r.err;
    EXPECT_EQ(r.out + r.err, "");
    EXPECT_EQ(qtest::ReadFileBytes(File("out.txt")), std::string("\xff\xfe" "A\0\r\0\n\0B\0\xe9\0", 12));

    const CliResult missing = Run({"convert", "nope.txt", "out2.txt"});
    EXPECT_EQ(missing.exitStatus, 1);
    EXPECT_EQ(missing.err, "quenzil: Can`t open ANSI file: nope.txt\n");
    EXPECT_FALSE(Exists("out2.txt"));

    const CliResult unwritable = Run({"convert", "in.txt", "no/dir/out.txt"});
    EXPECT_EQ(unwritable.exitStatus, 1);
    EXPECT_EQ(unwritable.err, "quenzil: Can`t create Unicode file: no/dir/out.txt\n");
}

TEST_F(CliTest, ConvertSpellsPathsInTheChosenCodePage) {
    qtest::WriteFileBytes(File("caf\xc3\xa9.txt"), "x");
    const CliResult r = Run({"convert", "caf\xc3\xa9.txt", "\xc3\xa9t\xc3\xa9.txt", "--codepage", "1252"});
    EXPECT_EQ(r.exitStatus, 0) << r.err;
    EXPECT_EQ(qtest::ReadFileBytes(File("\xc3\xa9t\xc3\xa9.txt")), std::string("\xff\xfex\0", 4));

    // U+65E5 has no spelling in code page 1252.
    const CliResult unspellable = Run({"convert", "caf\xc3\xa9.txt", "\xe6\x97\xa5.txt", "--codepage", "1252"});
    EXPECT_EQ(unspellable.exitStatus, 1);
    EXPECT_THAT(unspellable.err, HasSubstr("cannot be written in code page 1252"));
}

// ---- pack ----

TEST_F(CliTest, PackWritesAProjectFileTheOtherCommandsRead) {
    qtest::WriteFileBytes(File("h.xml"),
                          "<kor:ProjectFile><Version><Major>2</Major><Build>9</Build></Version>"
                          "<Pic>{{blob:pic}}</Pic><Again>{{blob:pic}}</Again><Doc>{{blob:doc}}</Doc>"
                          "</kor:ProjectFile>");
    qtest::WriteFileBytes(File("pic.bin"), std::string(5000, '\x7f'));
    qtest::WriteFileBytes(File("doc.txt"), "");
    const CliResult r = Run({"pack", "out.kpf", "--header", "h.xml", "--level", "1", "--key", "0xC0FFEE",
                             "--alt-signatures", "--blob", "pic=pic.bin", "--blob=doc=doc.txt"});
    ASSERT_EQ(r.exitStatus, 0) << r.err;
    EXPECT_EQ(r.out, "0 5000 pic\n0 0 doc\n");
    EXPECT_EQ(r.err, "");
    EXPECT_FALSE(Exists("out.kpf.partial"));

    EXPECT_EQ(Run({"version", "out.kpf"}).out, "2.0.0.9\n");
    EXPECT_EQ(Run({"extract", "out.kpf"}).out,
              "<kor:ProjectFile><Version><Major>2</Major><Build>9</Build></Version>"
              "<Pic>0 5000 pic</Pic><Again>0 5000 pic</Again><Doc>0 0 doc</Doc></kor:ProjectFile>");
    const CliResult info = Run({"info", "out.kpf"});
    EXPECT_THAT(info.out, HasSubstr("encryption: 1 (Korvane 32 Bit)"));
    EXPECT_THAT(info.out, HasSubstr("end record KR"));
    EXPECT_THAT(info.out, HasSubstr("      5000 KR    pic\n"));
    EXPECT_THAT(info.out, HasSubstr("blob values: 3\n"));
}

TEST_F(CliTest, PackFailuresLeaveAnExistingOutputUntouched) {
    qtest::WriteFileBytes(File("h.xml"), "<kor:ProjectFile><P>{{blob:pic}}</P></kor:ProjectFile>");
    qtest::WriteFileBytes(File("out.kpf"), "old");
    struct Case {
        std::vector<std::string> args;
        std::string report;
    };
    const Case cases[] = {
        {{"pack", "out.kpf", "--header", "h.xml"}, "quenzil: the header refers to blob 'pic', which no --blob gives\n"},
        {{"pack", "out.kpf", "--header", "missing.xml"}, "quenzil: cannot open 'missing.xml' for reading\n"},
        {{"pack", "out.kpf", "--header", "h.xml", "--blob", "pic=missing.bin"},
         "quenzil: cannot open 'missing.bin' for reading\n"},
        {{"pack", "out.kpf", "--header", "."}, "quenzil: cannot open '.' for reading\n"},
    };
    for (const Case& c : cases) {
        const CliResult r = Run(c.args);
        EXPECT_EQ(r.exitStatus, 1) << ::testing::PrintToString(c.args);
        EXPECT_EQ(r.err, c.report);
        EXPECT_EQ(qtest::ReadFileBytes(File("out.kpf")), "old");
    }

    const CliResult noDir = Run({"pack", "no/dir/out.kpf", "--header", "h.xml", "--blob", "pic=h.xml"});
    EXPECT_EQ(noDir.exitStatus, 1);
    EXPECT_THAT(noDir.err, HasSubstr("quenzil: cannot write 'no/dir/out.kpf'"));
    EXPECT_FALSE(Exists("no"));
}

TEST_F(CliTest, PackReplacesAnExistingOutputOnSuccess) {
    qtest::WriteFileBytes(File("h.xml"), "<kor:ProjectFile><Version><Major>5</Major></Version></kor:ProjectFile>");
    qtest::WriteFileBytes(File("out.kpf"), "old");
    const CliResult r = Run({"pack", "out.kpf", "--header", "h.xml", "--level", "2", "--blob", "b=h.xml", "--quiet"});
    ASSERT_EQ(r.exitStatus, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(Run({"version", "out.kpf"}).out, "5.0.0.0\n");
    EXPECT_THAT(Run({"info", "out.kpf"}).out, HasSubstr("encryption: 2 (Invalid)"));
}

}  // namespace
