#include "exports/convert_to_unicode.h"
#include "platform/code_page.h"
#include "tests/exports/code_page_guard.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>

namespace {

using platform::kCodePageUtf8;
using platform::kCodePageWindows1252;

// UTF-16LE bytes of text.
std::string Le(std::u16string_view text) {
    std::string bytes;
    for (char16_t unit : text) {
        bytes.push_back(char(unit & 0xFF));
        bytes.push_back(char(unit >> 8));
    }
    return bytes;
}

const std::string kMark = "\xFF\xFE";

// The conversion as a text-mode loop over 10-byte reads would do it: each
// read delivers its bytes with CR LF folded (peeking at the next byte for a
// CR that ends the read), each read is converted by itself, and every LF unit
// is written as CR LF.
std::string TenByteLoop(const std::string& input) {
    std::string out = kMark;
    size_t at = 0;
    while (at < input.size()) {
        size_t end = std::min(at + 10, input.size());
        std::string delivered;
        bool peekedLf = false;
        for (size_t i = at; i < end; ++i) {
            if (input[i] != '\r') {
                delivered.push_back(input[i]);
            } else if (i + 1 < end) {
                if (input[i + 1] == '\n') ++i;
                delivered.push_back(input[i]);
            } else if (end < input.size() && input[end] == '\n') {
                delivered.push_back('\n');
                peekedLf = true;
            } else {
                delivered.push_back('\r');
            }
        }
        if (peekedLf) ++end;
        for (char16_t unit : platform::MultiByteToWide(platform::kCodePageAnsi, delivered)) {
            if (unit == u'\n') out += Le(u"\r");
            out += Le(std::u16string(1, unit));
        }
        at = end;
    }
    return out;
}

// Large outputs are compared by their first difference, not by a full diff.
::testing::AssertionResult SameBytes(const std::string& actual, const std::string& expected) {
    if (actual == expected) return ::testing::AssertionSuccess();
    size_t at = 0;
    while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) ++at;
    return ::testing::AssertionFailure() << "sizes " << actual.size() << " and " << expected.size()
                                         << ", first difference at byte " << at;
}

class ConvertToUnicodeTest : public ::testing::Test {
protected:
    // Writes input, converts it, and returns the output file's bytes.
    std::string Convert(const std::string& input) {
        qtest::WriteFileBytes(in_, input);
        EXPECT_TRUE(ConvertToUnicode(in_.c_str(), out_.c_str()));
        EXPECT_TRUE(capture_.boxes.empty());
        return qtest::ReadFileBytes(out_);
    }

    qtest::TempDir dir_;
    std::string in_ = dir_.File("in.txt");
    std::string out_ = dir_.File("out.txt");
    qtest::MessageBoxCapture capture_;
};

TEST_F(ConvertToUnicodeTest, TextRulesInWindows1252AndUtf8) {
    struct Case {
        uint32_t codePage;
        std::string input;
        std::u16string text;  // after the mark
    } cases[] = {
        {kCodePageWindows1252, "", u""},
        {kCodePageWindows1252, "A\r\nB", u"A\r\nB"},
        {kCodePageWindows1252, "A\nB\rC\r", u"A\r\nB\rC\r"},
        {kCodePageWindows1252, std::string("x\0y", 3), std::u16string(u"x\0y", 3)},
        {kCodePageWindows1252, "\x80 \xE9\x1A" "end", u"\u20AC \u00E9\x1A" u"end"},
        {kCodePageUtf8, "", u""},
        {kCodePageUtf8, "\xC3\xA9t\xC3\xA9\r\n", u"\u00E9t\u00E9\r\n"},
        {kCodePageUtf8, "\xF0\x9F\x98\x80\n", u"\U0001F600\r\n"},
        {kCodePageUtf8, "bad \xFF", u"bad \uFFFD"},
        {kCodePageUtf8, "cut \xE2\x82", u"cut \uFFFD"},
    };
    for (const auto& c : cases) {
        qtest::ScopedAnsiCodePage codePage(c.codePage);
        EXPECT_EQ(Convert(c.input), kMark + Le(c.text)) << c.codePage << " " << c.input;
    }
}

TEST_F(ConvertToUnicodeTest, SameAsTheTenByteLoopForSingleBytePages) {
    qtest::ScopedAnsiCodePage codePage(kCodePageWindows1252);
    std::mt19937 random(7);
    // Bytes drawn with many CR and LF so that pairs fall on every boundary.
    auto make = [&](size_t size) {
        std::string s(size, '\0');
        for (char& b : s) {
            unsigned r = random() % 8;
            b = r == 0 ? '\r' : r == 1 ? '\n' : char(random() % 256);
        }
        return s;
    };
    for (size_t size : {size_t(10), size_t(11), size_t(1000), size_t(1) << 20}) {
        std::string input = make(size);
        EXPECT_TRUE(SameBytes(Convert(input), TenByteLoop(input))) << size;
    }
}

TEST_F(ConvertToUnicodeTest, PairsAndCharactersCutByTheReadBlockStayWhole) {
    const size_t block = quenzil::kConvertBlockSize;
    {
        qtest::ScopedAnsiCodePage codePage(kCodePageWindows1252);
        std::string input(block - 1, 'a');
        input += "\r\nb";
        EXPECT_TRUE(SameBytes(Convert(input), kMark + Le(std::u16string(block - 1, u'a') + u"\r\nb")));
    }
    qtest::ScopedAnsiCodePage codePage(kCodePageUtf8);
    for (size_t before : {block - 1, block - 2}) {
        std::string input(before, 'a');
        input += "\xE2\x82\xAC!";  // the euro sign, cut by the end of the first block
        EXPECT_TRUE(SameBytes(Convert(input), kMark + Le(std::u16string(before, u'a') + u"\u20AC!")))
            << before;
    }
}

TEST_F(ConvertToUnicodeTest, ExistingOutputIsReplacedWhole) {
    qtest::ScopedAnsiCodePage codePage(kCodePageWindows1252);
    for (std::string old : {kMark + Le(u"a much longer older text"), std::string("\xFE\xFF\0x", 4),
                            std::string("\xEF\xBB\xBFold")}) {
        qtest::WriteFileBytes(out_, old);
        EXPECT_EQ(Convert("new"), kMark + Le(u"new"));
    }
}

TEST_F(ConvertToUnicodeTest, FailuresShowOneBoxAndReturnFalse) {
    std::string missing = dir_.File("missing.txt");
    std::string noDir = dir_.File("no/such/dir/out.txt");
    std::string dirPath = dir_.path().string();
    qtest::WriteFileBytes(in_, "text\n");
    struct Case {
        const char* input;
        const char* output;
        const char* caption;
        const char* text;
    } cases[] = {
        {missing.c_str(), out_.c_str(), "Can`t open ANSI file", missing.c_str()},
        {"", out_.c_str(), "Can`t open ANSI file", ""},
        {nullptr, out_.c_str(), "Can`t open ANSI file", ""},
        {dirPath.c_str(), out_.c_str(), "Can`t open ANSI file", dirPath.c_str()},
        {in_.c_str(), noDir.c_str(), "Can`t create Unicode file", noDir.c_str()},
        {in_.c_str(), dirPath.c_str(), "Can`t create Unicode file", dirPath.c_str()},
        {in_.c_str(), nullptr, "Can`t create Unicode file", ""},
        // Converting a file onto itself would destroy it.
        {in_.c_str(), in_.c_str(), "Can`t create Unicode file", in_.c_str()},
#if defined(__linux__)
        // Reading at offset 0 of the process's own memory fails.
        {"/proc/self/mem", out_.c_str(), "Can`t read ANSI file", "/proc/self/mem"},
        // Every write to this device fails for want of space.
        {in_.c_str(), "/dev/full", "Can`t write Unicode file", "/dev/full"},
#endif
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.caption) + " " + c.text);
        std::filesystem::remove(out_);
        capture_.boxes.clear();
        EXPECT_FALSE(ConvertToUnicode(c.input, c.output));
        ASSERT_EQ(capture_.boxes.size(), 1u);
        EXPECT_EQ(capture_.boxes[0].first, c.caption);
        EXPECT_EQ(capture_.boxes[0].second, c.text);
        EXPECT_EQ(qtest::ReadFileBytes(in_), "text\n");
    }
    // The output is not created when the input cannot be opened.
    std::filesystem::remove(out_);
    EXPECT_FALSE(ConvertToUnicode(missing.c_str(), out_.c_str()));
    EXPECT_FALSE(std::filesystem::exists(out_));
#if defined(__linux__)
    // After a failed read the output keeps what was written: the mark.
    EXPECT_FALSE(ConvertToUnicode("/proc/self/mem", out_.c_str()));
    EXPECT_EQ(qtest::ReadFileBytes(out_), kMark);
#endif
}

}  // namespace
