#include "platform/code_page.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using platform::kCodePageUtf8;
using platform::kCodePageWindows1252;

TEST(CodePage, Windows1252MapsEveryByteLikeTheSystem) {
    struct Case {
        unsigned char byte;
        char16_t unit;
    } cases[] = {{0x41, u'A'},   {0x00, 0x0000}, {0x80, 0x20AC}, {0x81, 0x0081}, {0x8D, 0x008D},
                 {0x8F, 0x008F}, {0x90, 0x0090}, {0x9D, 0x009D}, {0x9F, 0x0178}, {0xA0, 0x00A0},
                 {0xE9, 0x00E9}, {0xFF, 0x00FF}};
    for (const auto& c : cases) {
        std::string in(1, char(c.byte));
        EXPECT_EQ(platform::MultiByteToWide(kCodePageWindows1252, in), std::u16string(1, c.unit))
            << int(c.byte);
        EXPECT_EQ(platform::WideToMultiByte(kCodePageWindows1252, std::u16string(1, c.unit)), in);
    }
    EXPECT_EQ(platform::WideToMultiByte(kCodePageWindows1252, u"\u4E2D"), "?");
}

TEST(CodePage, Utf8ReplacesInvalidSequencesInsteadOfFailing) {
    struct Case {
        std::string in;
        std::u16string out;
    } cases[] = {
        {"abc", u"abc"},
        {"\xC3\xA9", u"\u00E9"},
        {"\xF0\x9F\x98\x80", u"\U0001F600"},
        {"\xFF", u"\uFFFD"},
        {"a\xC3", u"a\uFFFD"},
        {"\xE2\x82x", u"\uFFFDx"},       // truncated sequence is one replacement
        {"\xC0\xAF", u"\uFFFD\uFFFD"},   // overlong form
        {std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
    };
    for (const auto& c : cases) EXPECT_EQ(platform::MultiByteToWide(kCodePageUtf8, c.in), c.out);
    // An encoded surrogate is invalid. How many replacements it gives is the
    // system converter's choice on Windows; elsewhere each byte is one.
    std::u16string surrogate = platform::MultiByteToWide(kCodePageUtf8, "\xED\xA0\x80");
#if defined(_WIN32)
    EXPECT_FALSE(surrogate.empty());
    EXPECT_EQ(surrogate.find_first_not_of(u'\uFFFD'), std::u16string::npos);
#else
    EXPECT_EQ(surrogate, u"\uFFFD\uFFFD\uFFFD");
#endif
    EXPECT_EQ(platform::WideToMultiByte(kCodePageUtf8, u"\U0001F600\u00E9"),
              "\xF0\x9F\x98\x80\xC3\xA9");
    EXPECT_EQ(platform::WideToMultiByte(kCodePageUtf8, std::u16string(1, char16_t(0xD800))),
              "\xEF\xBF\xBD");
}

TEST(CodePage, CompleteCharacterPrefixStopsBeforeACutCharacter) {
    struct Case {
        uint32_t codePage;
        std::string in;
        size_t prefix;
    } cases[] = {
        {kCodePageUtf8, "ab", 2},         {kCodePageUtf8, "a\xC3", 1},
        {kCodePageUtf8, "a\xE2\x82", 1},  {kCodePageUtf8, "a\xE2\x82\xAC", 4},
        {kCodePageUtf8, "a\xF0\x9F\x98", 1}, {kCodePageUtf8, "a\xFF", 2},
        {kCodePageUtf8, "", 0},           {kCodePageWindows1252, "a\xC3", 2},
        {932, "a\x82", 1},                {932, "a\x82\xA0", 3},
    };
    for (const auto& c : cases)
        EXPECT_EQ(platform::CompleteCharacterPrefix(c.codePage, c.in), c.prefix)
            << c.codePage << " " << c.in.size();
}

TEST(CodePage, AnsiAndThreadAnsiResolve) {
    uint32_t saved = platform::SetAnsiCodePage(kCodePageWindows1252);
    EXPECT_EQ(platform::ResolveCodePage(platform::kCodePageAnsi), kCodePageWindows1252);
    EXPECT_EQ(platform::ResolveCodePage(platform::kCodePageThreadAnsi), kCodePageWindows1252);
    platform::SetThreadAnsiCodePage(kCodePageUtf8);
    EXPECT_EQ(platform::ResolveCodePage(platform::kCodePageThreadAnsi), kCodePageUtf8);
    EXPECT_EQ(platform::ResolveCodePage(platform::kCodePageAnsi), kCodePageWindows1252);
    platform::SetThreadAnsiCodePage(0);
    platform::SetAnsiCodePage(saved);
}

TEST(CodePage, OtherCodePagesGoThroughTheSystemConverter) {
    EXPECT_TRUE(platform::IsCodePageSupported(932));
    EXPECT_EQ(platform::MultiByteToWide(932, "\x82\xA0"), u"\u3042");
    EXPECT_EQ(platform::WideToMultiByte(932, u"\u3042"), "\x82\xA0");
    EXPECT_FALSE(platform::IsCodePageSupported(4242));
}

}  // namespace
