#include "errors/sax_error.h"
#include "exports/file_version.h"
#include "platform/code_page.h"
#include "tests/support/temp_dir.h"
#include "tools/writer/project_writer.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace {

using Numbers = std::array<int32_t, 4>;

std::string Document(const std::string& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<kor:ProjectFile>" + body +
           "</kor:ProjectFile>";
}

Numbers Call(const char* path, Numbers numbers) {
    FileVersion(path, &numbers[0], &numbers[1], &numbers[2], &numbers[3]);
    return numbers;
}

const std::string kFull =
    "<Version><Major>3</Major><Minor>1</Minor><Fixed>0</Fixed><Build>27</Build></Version>";

TEST(FileVersion, ReadsTheVersionElementAtEveryEncryptionLevel) {
    struct Case {
        const char* what;
        std::string body;
        Numbers expected;
    } cases[] = {
        {"plain", kFull, {3, 1, 0, 27}},
        {"at depth", "<a><b><c>" + kFull + "</c></b></a><z/>", {3, 1, 0, 27}},
        {"no Version element", "<Major>3</Major><Other/>", {0, 0, 0, 0}},
        {"some children missing", "<Version><Minor>4</Minor></Version>", {0, 4, 0, 0}},
        {"wrong parent", "<Release><Major>5</Major></Release><Version><Build>6</Build></Version>",
         {0, 0, 0, 6}},
        {"nested below a number", "<Version><Major><n>9</n></Major></Version>", {0, 0, 0, 0}},
        {"attributes", "<Version Major=\"3\" Minor=\"1\" Fixed=\"0\" Build=\"27\"/>", {0, 0, 0, 0}},
        {"lower-case names", "<version><Major>1</Major></version><Version><major>2</major></Version>",
         {0, 0, 0, 0}},
        {"longer names", "<Versions><Major>1</Major></Versions><Version><Majors>2</Majors></Version>",
         {0, 0, 0, 0}},
        {"white space", "<Version><Major> 7\n</Major><Minor>\t+8</Minor></Version>", {7, 8, 0, 0}},
        {"trailing letter", "<Version><Major>7b</Major></Version>", {7, 0, 0, 0}},
        {"negative", "<Version><Major>-2</Major></Version>", {-2, 0, 0, 0}},
        {"empty and non-numbers keep the value",
         "<Version><Major>4</Major><Major></Major><Major/><Major>x1</Major><Minor>b</Minor></Version>",
         {4, 0, 0, 0}},
        {"out of range keeps the value",
         "<Version><Fixed>5</Fixed><Fixed>2147483648</Fixed><Build>-2147483648</Build></Version>",
         {0, 0, 5, -2147483648}},
        {"two Build elements: the later wins",
         "<Version><Build>1</Build></Version><x><Version><Build>2</Build></Version></x>",
         {0, 0, 0, 2}},
    };
    qtest::TempDir dir;
    const std::string path = dir.File("project.qzp");
    for (int level : {0, 1, 2}) {
        qwriter::ProjectFileOptions options;
        options.level = level;
        options.key = 0x12345678;
        for (const Case& c : cases) {
            qwriter::WriteProjectFile(qtest::Widen(path), Document(c.body), options);
            EXPECT_EQ(Call(path.c_str(), {11, 12, 13, 14}), c.expected)
                << "level " << level << ": " << c.what;
        }
    }
}

TEST(FileVersion, NullOutParametersAreSkipped) {
    qtest::TempDir dir;
    const std::string path = dir.File("project.qzp");
    qwriter::WriteProjectFile(qtest::Widen(path), Document(kFull));
    int32_t build = 0;
    FileVersion(path.c_str(), nullptr, nullptr, nullptr, &build);
    EXPECT_EQ(build, 27);
}

TEST(FileVersion, PathIsReadInTheThreadsAnsiCodePage) {
    qtest::TempDir dir;
    qwriter::WriteProjectFile(dir.WideFile("caf\xC3\xA9.qzp"), Document(kFull));
    const std::string ansiPath = dir.File("caf\xE9.qzp");  // "café" in Windows-1252
    uint32_t previous = platform::SetThreadAnsiCodePage(platform::kCodePageWindows1252);
    Numbers numbers{};
    EXPECT_NO_THROW(numbers = Call(ansiPath.c_str(), {}));
    platform::SetThreadAnsiCodePage(previous);
    EXPECT_EQ(numbers, (Numbers{3, 1, 0, 27}));
}

TEST(FileVersion, FailuresPassThroughAndLeaveTheNumbersAlone) {
    qtest::TempDir dir;
    const std::string missing = dir.File("missing.qzp");
    const std::string broken = dir.File("broken.qzp");
    const std::string notZip = dir.File("plain.txt");
    // The numbers come before the fault, so a parse that stored them as it
    // went would leave them behind.
    qwriter::WriteProjectFile(qtest::Widen(broken), Document(kFull + "<unclosed>"));
    qtest::WriteFileBytes(notZip, "not a container");

    const std::u16string kOpenFailed = u"Failed to open file for reading";
    struct Case {
        const char* path;
        std::u16string message;
    } openCases[] = {
        {"", kOpenFailed},
        {nullptr, kOpenFailed},
        {missing.c_str(), kOpenFailed + qtest::Widen(missing)},
        {notZip.c_str(), kOpenFailed + qtest::Widen(notZip)},
    };
    for (const Case& c : openCases) {
        Numbers numbers{11, 12, 13, 14};
        try {
            FileVersion(c.path, &numbers[0], &numbers[1], &numbers[2], &numbers[3]);
            ADD_FAILURE() << "no exception for " << (c.path ? c.path : "null");
        } catch (const MSAXError::MFileOpenRead& e) {
            EXPECT_EQ(e.message, c.message);
        }
        EXPECT_EQ(numbers, (Numbers{11, 12, 13, 14}));
    }

    Numbers numbers{11, 12, 13, 14};
    EXPECT_THROW(FileVersion(broken.c_str(), &numbers[0], &numbers[1], &numbers[2], &numbers[3]),
                 MSAXError::MParse);
    EXPECT_EQ(numbers, (Numbers{11, 12, 13, 14}));
}

}  // namespace
