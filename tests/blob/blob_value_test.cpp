// Reading "offset size name" blob values out of element text.

#include "archive/blob_value.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

struct ValueCase {
    const char* label;
    std::u16string text;
    ESAXBlobValueParse expected;
    int32_t offset;
    int32_t size;
    std::u16string name;
};

void PrintTo(const ValueCase& c, std::ostream* os) { *os << c.label; }

class BlobValueParse : public ::testing::TestWithParam<ValueCase> {};

TEST_P(BlobValueParse, ReadsFieldsOrLeavesValueUntouched) {
    const ValueCase& c = GetParam();
    MSAXBlobValue value;
    value.offset = 777;
    value.size = 888;
    value.entryName = u"untouched";

    EXPECT_EQ(ParseBlobValue(c.text, value), c.expected);
    if (c.expected == ESAXBlobValueParse::eValid) {
        EXPECT_EQ(value.offset, c.offset);
        EXPECT_EQ(value.size, c.size);
        EXPECT_EQ(value.entryName, c.name);
    } else {
        EXPECT_EQ(value.offset, 777);
        EXPECT_EQ(value.size, 888);
        EXPECT_EQ(value.entryName, u"untouched");
    }
}

using P = ESAXBlobValueParse;
const std::u16string kLongestName(kBlobValueMaxNameLength, u'n');

INSTANTIATE_TEST_SUITE_P(
    Texts, BlobValueParse,
    ::testing::Values(
        ValueCase{"plain", u"0 16 data_1", P::eValid, 0, 16, u"data_1"},
        ValueCase{"surrounding_space_and_breaks", u" \r\n\t0\n\t 16 \v\f data_1 \r\n", P::eValid, 0, 16,
                  u"data_1"},
        ValueCase{"fourth_field_ignored", u"0 16 data_1 more words", P::eValid, 0, 16, u"data_1"},
        ValueCase{"signs", u"+5 -0 x", P::eValid, 5, 0, u"x"},
        ValueCase{"largest_numbers", u"2147483647 2147483647 x", P::eValid, 2147483647, 2147483647,
                  u"x"},
        ValueCase{"name_right_after_size", u"0 16data", P::eValid, 0, 16, u"data"},
        ValueCase{"name_not_ascii", u"3 4 d\u00e4t\u00e4", P::eValid, 3, 4, u"d\u00e4t\u00e4"},
        ValueCase{"longest_name", u"1 2 " + kLongestName, P::eValid, 1, 2, kLongestName},
        ValueCase{"nul_ends_the_text", std::u16string(u"0 16 da\0ta", 10), P::eValid, 0, 16, u"da"},

        ValueCase{"empty", u"", P::eEmpty, 0, 0, u""},
        ValueCase{"only_space", u" \r\n\t ", P::eMalformed, 0, 0, u""},
        ValueCase{"starts_with_nul", std::u16string(u"\0 0 16 x", 8), P::eMalformed, 0, 0, u""},
        ValueCase{"no_name", u"12 34", P::eMalformed, 0, 0, u""},
        ValueCase{"no_size", u"12", P::eMalformed, 0, 0, u""},
        ValueCase{"offset_not_a_number", u"a 1 x", P::eMalformed, 0, 0, u""},
        ValueCase{"size_not_a_number", u"1 x y", P::eMalformed, 0, 0, u""},
        ValueCase{"sign_without_digits", u"- 1 x", P::eMalformed, 0, 0, u""},
        ValueCase{"offset_too_large", u"2147483648 1 x", P::eMalformed, 0, 0, u""},
        ValueCase{"size_far_too_large", u"0 99999999999999999999999 x", P::eMalformed, 0, 0, u""},
        ValueCase{"negative_offset", u"-1 5 x", P::eMalformed, 0, 0, u""},
        ValueCase{"negative_size", u"5 -1 x", P::eMalformed, 0, 0, u""},
        ValueCase{"smallest_int_offset", u"-2147483648 0 x", P::eMalformed, 0, 0, u""},
        ValueCase{"name_too_long", u"1 2 " + kLongestName + u"n", P::eMalformed, 0, 0, u""}),
    [](const ::testing::TestParamInfo<ValueCase>& info) { return std::string(info.param.label); });

}  // namespace
