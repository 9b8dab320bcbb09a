// ReadValue: the element text as a string and as 32-bit numbers read the way a
// wide input stream extracts them.

#include "tests/xml/event_recorder.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

// Sets the element text directly, as the parse would before an event.
class TextProbe : public MXMLExpat {
public:
    explicit TextProbe(std::u16string text) { _text = std::move(text); }
};

constexpr int32_t kOldInt = 99;
constexpr uint32_t kOldUInt = 99;

struct NumberCase {
    const char* label;
    std::u16string text;
    bool result;                           // ReadValue's answer
    std::optional<int32_t> asInt;          // nullopt: old value kept
    std::optional<uint32_t> asUInt;
};

void PrintTo(const NumberCase& c, std::ostream* os) { *os << c.label; }

class ReadNumber : public ::testing::TestWithParam<NumberCase> {};

TEST_P(ReadNumber, IntAndUnsigned) {
    const NumberCase& c = GetParam();
    TextProbe probe(c.text);
    int32_t i = kOldInt;
    uint32_t u = kOldUInt;
    EXPECT_EQ(probe.ReadValue(i), c.result);
    EXPECT_EQ(probe.ReadValue(u), c.result);
    EXPECT_EQ(i, c.asInt.value_or(kOldInt));
    EXPECT_EQ(u, c.asUInt.value_or(kOldUInt));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ReadNumber,
    ::testing::Values(
        NumberCase{"Plain", u"42", true, 42, 42u},
        NumberCase{"LeadingSpaceTrailingLetters", u"  42abc", true, 42, 42u},
        NumberCase{"NoNumber", u"abc", true, std::nullopt, std::nullopt},
        NumberCase{"Empty", u"", false, std::nullopt, std::nullopt},
        NumberCase{"OnlySpace", u"  \n", true, std::nullopt, std::nullopt},
        NumberCase{"Negative", u"-2", true, -2, 4294967294u},
        NumberCase{"Plus", u"+7", true, 7, 7u},
        NumberCase{"StopsAtLetter", u"7b", true, 7, 7u},
        NumberCase{"SpaceAround", u" 7\n", true, 7, 7u},
        NumberCase{"AllStreamSpace", u"\t\n\v\f\r 5", true, 5, 5u},
        NumberCase{"StopsAtSpace", u"1 2", true, 1, 1u},
        NumberCase{"HexPrefixReadsZero", u"0x1A", true, 0, 0u},
        NumberCase{"LeadingZeros", u"000000000000000000000042", true, 42, 42u},
        NumberCase{"MinusZero", u"-0", true, 0, 0u},
        NumberCase{"SignOnly", u"-", true, std::nullopt, std::nullopt},
        NumberCase{"SpaceAfterSign", u"- 5", true, std::nullopt, std::nullopt},
        NumberCase{"TwoSigns", u"+-5", true, std::nullopt, std::nullopt},
        NumberCase{"FullWidthDigit", u"\uFF15", true, std::nullopt, std::nullopt},
        NumberCase{"IntMax", u"2147483647", true, 2147483647, 2147483647u},
        NumberCase{"IntMaxPlusOne", u"2147483648", true, std::nullopt, 2147483648u},
        NumberCase{"IntMin", u"-2147483648", true, INT32_MIN, 2147483648u},
        NumberCase{"BelowIntMin", u"-2147483649", true, std::nullopt, 2147483647u},
        NumberCase{"UIntMax", u"4294967295", true, std::nullopt, 4294967295u},
        NumberCase{"UIntMaxNegated", u"-4294967295", true, std::nullopt, 1u},
        NumberCase{"BeyondUIntMax", u"4294967296", true, std::nullopt, std::nullopt},
        NumberCase{"BeyondUIntMaxNegated", u"-4294967296", true, std::nullopt, std::nullopt},
        NumberCase{"VeryLong", u"123456789012345678901234567890", true, std::nullopt,
                   std::nullopt}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(ReadValueText, AlwaysTrue) {
    std::u16string out = u"old";
    EXPECT_TRUE(TextProbe(u"").ReadValue(out));
    EXPECT_EQ(out, u"");
    EXPECT_TRUE(TextProbe(u" a & b ").ReadValue(out));
    EXPECT_EQ(out, u" a & b ");
}

// Expat may hand one run of text over in several pieces; ReadValue sees them
// joined, numbers included.
TEST(ReadValueText, PiecesAreJoined) {
    class Reader : public MXMLExpat {
    public:
        int32_t value = 0;
        std::u16string text;

    protected:
        bool _HandleTag(const std::u16string&) override {
            ReadValue(text);
            ReadValue(value);
            return true;
        }
    } reader;
    EXPECT_TRUE(reader.ParseString(u"<v>\n 1&#50;<![CDATA[3]]>4\n</v>"));
    EXPECT_EQ(reader.text, u"\n 1234\n");
    EXPECT_EQ(reader.value, 1234);
}

}  // namespace
