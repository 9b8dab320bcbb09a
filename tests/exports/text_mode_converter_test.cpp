#include "exports/text_mode_converter.h"
#include "platform/code_page.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using platform::kCodePageUtf8;
using platform::kCodePageWindows1252;

std::u16string ConvertInPieces(uint32_t codePage, const std::string& input,
                               const std::vector<size_t>& cuts) {
    quenzil::TextModeConverter converter(codePage);
    std::u16string out;
    size_t at = 0;
    for (size_t cut : cuts) {
        converter.Convert(std::string_view(input).substr(at, cut - at), &out);
        at = cut;
    }
    converter.Convert(std::string_view(input).substr(at), &out);
    converter.Finish(&out);
    return out;
}

struct Case {
    const char* what;
    uint32_t codePage;
    std::string input;
    std::u16string output;
};

const Case kCases[] = {
    {"empty", kCodePageWindows1252, "", u""},
    {"CR LF folds, LF expands", kCodePageWindows1252, "A\r\nB", u"A\r\nB"},
    {"lone LF gains CR", kCodePageWindows1252, "A\nB\n", u"A\r\nB\r\n"},
    {"lone CR stays", kCodePageWindows1252, "A\rB", u"A\rB"},
    {"CR CR LF", kCodePageWindows1252, "\r\r\n", u"\r\r\n"},
    {"CR LF LF", kCodePageWindows1252, "\r\n\n", u"\r\n\r\n"},
    {"final CR", kCodePageWindows1252, "A\r", u"A\r"},
    {"NUL and what follows", kCodePageWindows1252, std::string("A\0B", 3), std::u16string(u"A\0B", 3)},
    {"Ctrl-Z passes through", kCodePageWindows1252, "A\x1A" "B\r\n", u"A\x1A" u"B\r\n"},
    {"high bytes", kCodePageWindows1252, "\x80\x81\x9F\xE9\xFF", u"\u20AC\u0081\u0178\u00E9\u00FF"},
    {"UTF-8 two bytes", kCodePageUtf8, "caf\xC3\xA9\n", u"caf\u00E9\r\n"},
    {"UTF-8 three bytes", kCodePageUtf8, "\xE2\x82\xAC\r\n\xE2\x82\xAC", u"\u20AC\r\n\u20AC"},
    {"UTF-8 four bytes", kCodePageUtf8, "\xF0\x9F\x98\x80!", u"\U0001F600!"},
    {"UTF-8 cut by CR", kCodePageUtf8, "\xE2\x82\r\nx", u"\uFFFD\r\nx"},
    {"UTF-8 incomplete at end", kCodePageUtf8, "a\xC3", u"a\uFFFD"},
    {"UTF-8 invalid byte", kCodePageUtf8, "a\xFF" "b", u"a\uFFFD" u"b"},
};

// Every way of cutting the input in two, and byte by byte, gives the text of
// the whole input: CR LF pairs and multi-byte characters cut by a block
// boundary are handled as if they were not cut.
TEST(TextModeConverter, OutputDoesNotDependOnWhereBlocksEnd) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ConvertInPieces(c.codePage, c.input, {}), c.output);
        for (size_t cut = 0; cut <= c.input.size(); ++cut)
            EXPECT_EQ(ConvertInPieces(c.codePage, c.input, {cut}), c.output) << "cut at " << cut;
        std::vector<size_t> everyByte;
        for (size_t i = 1; i < c.input.size(); ++i) everyByte.push_back(i);
        EXPECT_EQ(ConvertInPieces(c.codePage, c.input, everyByte), c.output);
    }
}

// A double-byte character cut by a block boundary converts whole too.
TEST(TextModeConverter, DoubleByteCharactersStayWhole) {
    const uint32_t kShiftJis = 932;
    if (!platform::IsCodePageSupported(kShiftJis)) GTEST_SKIP() << "no converter for 932";
    const std::string input = "a\x82\xA0\r\n\x88\x9F";  // a, HIRAGANA A, CR LF, a kanji
    const std::u16string output = u"a\u3042\r\n\u4E9C";
    for (size_t cut = 0; cut <= input.size(); ++cut)
        EXPECT_EQ(ConvertInPieces(kShiftJis, input, {cut}), output) << "cut at " << cut;
}

TEST(TextModeConverter, FinishStartsAFreshStream) {
    quenzil::TextModeConverter converter(kCodePageUtf8);
    std::u16string out;
    converter.Convert("x\xC3", &out);
    converter.Finish(&out);
    converter.Convert("\xA9\r", &out);
    converter.Finish(&out);
    EXPECT_EQ(out, u"x\uFFFD\uFFFD\r");
}

}  // namespace
