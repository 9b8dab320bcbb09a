// The tool's own building blocks: error descriptions, argument parsing, the
// progress line and JSON quoting.
#include "errors/sax_error.h"
#include "errors/zip_archive_error.h"
#include "tools/cli/args.h"
#include "tools/cli/error_report.h"
#include "tools/cli/json_writer.h"
#include "tools/cli/progress.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>

namespace {

qcli::ErrorDescription Describe(const std::function<void()>& thrower) {
    try {
        thrower();
    } catch (...) {
        return qcli::DescribeCurrentException();
    }
    ADD_FAILURE() << "nothing was thrown";
    return {};
}

struct ErrorCase {
    const char* label;
    std::function<void()> thrower;
    std::string text;
    int exitStatus;
};

MSAXError::MStopParsing StoppedAt(const std::u16string& tag) {
    MSAXError::MStopParsing stop;
    stop.tag = tag;
    return stop;
}

// The error types have no virtual functions: each must be named by its most
// derived type, not by the first base that happens to match.
TEST(CliErrorDescription, NamesTheMostDerivedTypeWithCodeMessageAndDetail) {
    const ErrorCase cases[] = {
        {"file open read", [] { throw MSAXError::MFileOpenRead(u"x.kpf"); },
         "MSAXError::MFileOpenRead (525): Failed to open file for readingx.kpf", 1},
        {"file open write", [] { throw MSAXError::MFileOpenWrite(u"/o"); },
         "MSAXError::MFileOpenWrite (526): Failed to open file for writing/o", 1},
        {"not a project file", [] { throw MSAXError::MNotAKorProjectFile(); },
         "MSAXError::MNotAKorProjectFile (527): Not a valid project file", 1},
        {"parse", [] { throw MSAXError::MParse(); }, "MSAXError::MParse (528): Internal Parsing Error", 1},
        {"deflate with detail", [] { throw MSAXError::MDeflate(u"Error while decompressing"); },
         "MSAXError::MDeflate (529): Deflating Error (Error while decompressing)", 1},
        {"decrypt", [] { throw MSAXError::MDecrypt(); }, "MSAXError::MDecrypt (530): Decryption Error", 1},
        {"unknown level", [] { throw MSAXError::MDecryptUnknownLevel(); },
         "MSAXError::MDecryptUnknownLevel (531): Unknown Encryption level", 1},
        {"encrypt open", [] { throw MSAXError::MEncryptOpen(u"d"); },
         "MSAXError::MEncryptOpen (532): Couldn't open file for encrypting (d)", 1},
        {"missing reference", [] { throw MSAXError::MMissingReference(nullptr); },
         "MSAXError::MMissingReference (536): An object referenced in the file hasn't been resolved. "
         "The resulting file is invalid.",
         1},
        {"inflate, both details", [] { throw MSAXError::MInflate(u"a", u"b"); },
         "MSAXError::MInflate (567): Inflating Error (a) (b)", 1},
        {"content mismatch", [] { throw MSAXError::MContentMismatch(); },
         "MSAXError::MContentMismatch (697): The context of the file mismatch", 1},
        {"stop without tag", [] { throw MSAXError::MStopParsing(); }, "MSAXError::MStopParsing (524)", 1},
        {"stop with tag", [] { throw StoppedAt(u"Obj"); }, "MSAXError::MStopParsing (524) at element <Obj>", 1},
        {"incompatible version", [] { throw MSAXError::MSAXIncompatibleVersion(u"too new", 900); },
         "MSAXError::MSAXIncompatibleVersion (900): too new", 1},
        {"generic read", [] { throw MSAXError::MGenericRead(u"r", 7); }, "MSAXError::MGenericRead (7): r", 1},
        {"generic write", [] { throw MSAXError::MGenericWrite(u"w", 8); }, "MSAXError::MGenericWrite (8): w", 1},
        {"generic", [] { throw MSAXError::MGeneric(u"g", 9); }, "MSAXError::MGeneric (9): g", 1},
        {"non-ASCII message as UTF-8", [] { throw MSAXError::MFileOpenRead(u"caf\u00e9"); },
         "MSAXError::MFileOpenRead (525): Failed to open file for readingcaf\xc3\xa9", 1},
        {"zip file not found", [] { throw MZipArchiveError::MFileNotFound(u"blob_0001"); },
         "MZipArchiveError::MFileNotFound: File not Found (entry \"blob_0001\")", 1},
        {"zip file not created", [] { throw MZipArchiveError::MFileNotCreated(u"n"); },
         "MZipArchiveError::MFileNotCreated: Error while creating file (entry \"n\")", 1},
        {"zip deflate", [] { throw MZipArchiveError::MDeflate(u"header.xml"); },
         "MZipArchiveError::MDeflate: Error while decompressing (entry \"header.xml\")", 1},
        {"zip inflate", [] { throw MZipArchiveError::MInflate(u"e"); },
         "MZipArchiveError::MInflate: Error while compressing (entry \"e\")", 1},
        {"zip generic without name", [] { throw MZipArchiveError::MGeneric(u"m", u""); },
         "MZipArchiveError::MGeneric: m", 1},
        {"usage", [] { throw qcli::UsageError{"missing argument"}; }, "missing argument", 2},
        {"standard exception", [] { throw std::runtime_error("boom"); }, "boom", 1},
        {"anything else", [] { throw 42; }, "unexpected error", 1},
    };
    for (const ErrorCase& c : cases) {
        const qcli::ErrorDescription d = Describe(c.thrower);
        EXPECT_EQ(d.text, c.text) << c.label;
        EXPECT_EQ(d.exitStatus, c.exitStatus) << c.label;
    }
}

struct ArgsCase {
    const char* label;
    std::vector<std::string> args;
    std::vector<std::string> positional;
    std::string level;          // value of --level, "" when absent
    size_t blobs;               // number of --blob values
    bool json;
    bool help;
};

TEST(CliArgs, SplitsPositionalsOptionsAndFlags) {
    const std::vector<qcli::OptionRule> rules = {
        {"level", true, false}, {"blob", true, true}, {"json", false, false}};
    const ArgsCase cases[] = {
        {"separate value", {"a", "--level", "2"}, {"a"}, "2", 0, false, false},
        {"joined value", {"--level=1", "a"}, {"a"}, "1", 0, false, false},
        {"empty joined value", {"--level=", "a"}, {"a"}, "", 0, false, false},
        {"repeatable", {"--blob", "x=1", "--blob=y=2"}, {}, "", 2, false, false},
        {"flag", {"f", "--json"}, {"f"}, "", 0, true, false},
        {"dash is positional", {"f", "-"}, {"f", "-"}, "", 0, false, false},
        {"double dash ends options", {"--", "--json", "-x"}, {"--json", "-x"}, "", 0, false, false},
        {"help anywhere", {"a", "-h"}, {"a"}, "", 0, false, true},
        {"value may look like an option", {"--level", "--json"}, {}, "--json", 0, false, false},
    };
    for (const ArgsCase& c : cases) {
        const qcli::ParsedArgs parsed = qcli::ParseArgs(c.args, rules);
        EXPECT_EQ(parsed.positional, c.positional) << c.label;
        EXPECT_EQ(parsed.Value("level"), c.level) << c.label;
        EXPECT_EQ(parsed.Values("blob").size(), c.blobs) << c.label;
        EXPECT_EQ(parsed.Has("json"), c.json) << c.label;
        EXPECT_EQ(parsed.help, c.help) << c.label;
    }
}

TEST(CliArgs, RejectsMalformedCommandLines) {
    const std::vector<qcli::OptionRule> rules = {{"level", true, false}, {"json", false, false}};
    const std::vector<std::vector<std::string>> cases = {
        {"--nope"}, {"-x"}, {"--level"}, {"--level", "1", "--level", "2"}, {"--json=yes"}, {"--json", "--json"},
    };
    for (const auto& args : cases)
        EXPECT_THROW(qcli::ParseArgs(args, rules), qcli::UsageError) << ::testing::PrintToString(args);
}

TEST(CliArgs, UnsignedNumbersMustFitIn32Bits) {
    EXPECT_EQ(qcli::ParseUnsigned("0", "k", true), 0u);
    EXPECT_EQ(qcli::ParseUnsigned("4294967295", "k", false), 4294967295u);
    EXPECT_EQ(qcli::ParseUnsigned("0x5EED1234", "k", true), 0x5EED1234u);
    EXPECT_EQ(qcli::ParseUnsigned("0XFFFFFFFF", "k", true), 0xFFFFFFFFu);
    for (const char* bad : {"", "-1", "+1", "4294967296", "0x", "0x100000000", "12a", " 1", "1.0"})
        EXPECT_THROW(qcli::ParseUnsigned(bad, "k", true), qcli::UsageError) << bad;
    EXPECT_THROW(qcli::ParseUnsigned("0x10", "codepage", false), qcli::UsageError);
}

std::string ReadBack(std::FILE* file) {
    std::fflush(file);
    std::rewind(file);
    std::string text;
    int c;
    while ((c = std::fgetc(file)) != EOF) text += char(c);
    return text;
}

TEST(CliProgressLine, DrawsOnlyWhenEnabledAndOnlyOnChange) {
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    {
        qcli::ProgressLine off("info f", file, false);
        off.Update(1, 2);
        off.Clear();
    }
    {
        qcli::ProgressLine late("info f", file, true, std::chrono::hours(1));
        late.Update(1, 2);  // a short run ends before the line would appear
    }
    EXPECT_EQ(ReadBack(file), "");

    {
        qcli::ProgressLine line("info f", file, true);
        line.Update(2048, 4096);
        line.Update(2050, 4096);  // still 50%: no redraw
        line.Update(8192, 4096);  // past the end shows 100%
        line.Update(10, 0);       // unknown total shows the count
    }  // the destructor erases the line
    EXPECT_EQ(ReadBack(file),
              "\rinfo f: 50% of 4.0 KiB"
              "\rinfo f: 100% of 4.0 KiB"
              "\rinfo f: 0.0 KiB        "  // blanks cover the longer line before
              "\r               \r");
    std::fclose(file);
}

TEST(CliJson, QuotesEscapeQuotesBackslashesAndControlCharacters) {
    EXPECT_EQ(qcli::JsonWriter::Quote("a\"b\\c\nd\te\x01 \xc3\xa9"), "\"a\\\"b\\\\c\\nd\\te\\u0001 \xc3\xa9\"");

    qcli::JsonWriter json;
    json.BeginObject();
    json.BeginArray("list");
    json.End();
    json.Integer("n", -3);
    json.End();
    EXPECT_EQ(json.Text(), "{\n  \"list\": [],\n  \"n\": -3\n}\n");
}

}  // namespace
