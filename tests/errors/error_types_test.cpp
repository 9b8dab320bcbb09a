#include "errors/sax_error.h"
#include "errors/zip_archive_error.h"

#include <gtest/gtest.h>

#include <exception>
#include <functional>
#include <type_traits>

namespace {

struct SaxCase {
    const char* type;
    std::function<MSAXError::MGeneric()> make;
    std::u16string message;
    uint32_t code;
};

class SaxErrorText : public ::testing::TestWithParam<SaxCase> {};

TEST_P(SaxErrorText, MessageAndCode) {
    MSAXError::MGeneric e = GetParam().make();
    EXPECT_EQ(e.message, GetParam().message);
    EXPECT_EQ(e.code, GetParam().code);
}

INSTANTIATE_TEST_SUITE_P(
    AllTypes, SaxErrorText,
    ::testing::Values(
        SaxCase{"StopParsing", [] { return MSAXError::MStopParsing(); }, u"", 524},
        SaxCase{"StopParsingArgs", [] { return MSAXError::MStopParsing(u"halt", 9); }, u"halt", 9},
        SaxCase{"FileOpenReadEmpty", [] { return MSAXError::MFileOpenRead(u""); },
                u"Failed to open file for reading", 525},
        SaxCase{"FileOpenReadPath", [] { return MSAXError::MFileOpenRead(u"C:\\a.kpf"); },
                u"Failed to open file for readingC:\\a.kpf", 525},
        SaxCase{"FileOpenWrite", [] { return MSAXError::MFileOpenWrite(u"/x"); },
                u"Failed to open file for writing/x", 526},
        SaxCase{"NotAKorProjectFile", [] { return MSAXError::MNotAKorProjectFile(); },
                u"Not a valid project file", 527},
        SaxCase{"Parse", [] { return MSAXError::MParse(); }, u"Internal Parsing Error", 528},
        SaxCase{"Deflate", [] { return MSAXError::MDeflate(u"detail"); }, u"Deflating Error", 529},
        SaxCase{"Decrypt", [] { return MSAXError::MDecrypt(); }, u"Decryption Error", 530},
        SaxCase{"DecryptUnknownLevel", [] { return MSAXError::MDecryptUnknownLevel(); },
                u"Unknown Encryption level", 531},
        SaxCase{"EncryptOpen", [] { return MSAXError::MEncryptOpen(u"d"); },
                u"Couldn't open file for encrypting", 532},
        SaxCase{"MissingReference", [] { return MSAXError::MMissingReference(nullptr); },
                u"An object referenced in the file hasn't been resolved. The resulting file is "
                u"invalid.",
                536},
        SaxCase{"Inflate", [] { return MSAXError::MInflate(u"a", u"b"); }, u"Inflating Error", 567},
        SaxCase{"ContentMismatch", [] { return MSAXError::MContentMismatch(); },
                u"The context of the file mismatch", 697},
        SaxCase{"IncompatibleVersion",
                [] { return MSAXError::MSAXIncompatibleVersion(u"old", 700); }, u"old", 700}),
    [](const auto& info) { return std::string(info.param.type); });

TEST(SaxError, DetailTextsStayOutOfTheMessage) {
    MSAXError::MDeflate deflate(u"Error while decompressing");
    EXPECT_EQ(deflate.message, u"Deflating Error");
    EXPECT_EQ(deflate.detail, u"Error while decompressing");
    MSAXError::MStopParsing stop;
    EXPECT_TRUE(stop.tag.empty());
}

TEST(SaxError, CopiesCopyEveryFieldAndPointersShallowly) {
    MSAXError::MInflate a(u"one", u"two");
    MSAXError::MInflate b(u"x", u"y");
    b = a;
    MSAXError::MInflate c(a);
    for (const auto* e : {&b, &c}) {
        EXPECT_EQ(e->message, u"Inflating Error");
        EXPECT_EQ(e->code, 567u);
        EXPECT_EQ(e->detail, u"one");
        EXPECT_EQ(e->detail2, u"two");
    }
    int target = 0;
    MSAXError::MMissingReference r(&target);
    MSAXError::MMissingReference copy = r;
    EXPECT_EQ(copy.object, &target);
}

TEST(SaxError, FamiliesAreCaughtByTheirOwnBasesOnly) {
    auto caughtAsSaxGeneric = [](auto thrower) {
        try {
            thrower();
        } catch (const MSAXError::MGeneric&) {
            return true;
        } catch (...) {
        }
        return false;
    };
    EXPECT_TRUE(caughtAsSaxGeneric([] { throw MSAXError::MParse(); }));
    EXPECT_TRUE(caughtAsSaxGeneric([] { throw MSAXError::MNotAKorProjectFile(); }));
    EXPECT_TRUE(caughtAsSaxGeneric([] { throw MSAXError::MSAXIncompatibleVersion(u"", 1); }));
    EXPECT_FALSE(caughtAsSaxGeneric([] { throw MZipArchiveError::MDeflate(u"e"); }));

    auto caughtAsStd = [](auto thrower) {
        try {
            thrower();
        } catch (const std::exception&) {
            return true;
        } catch (...) {
        }
        return false;
    };
    EXPECT_FALSE(caughtAsStd([] { throw MSAXError::MParse(); }));
    EXPECT_FALSE(caughtAsStd([] { throw MZipArchiveError::MFileNotFound(u"e"); }));

    try {
        throw MSAXError::MSAXIncompatibleVersion(u"v", 3);
    } catch (const MSAXError::MStopParsing& e) {
        EXPECT_EQ(e.code, 3u);
    }
    static_assert(!std::is_polymorphic_v<MSAXError::MGeneric>);
    static_assert(!std::is_polymorphic_v<MZipArchiveError::MGeneric>);
}

TEST(ZipArchiveError, TextsPairWithTypes) {
    struct Case {
        MZipArchiveError::MGeneric error;
        std::u16string message;
    } cases[] = {
        {MZipArchiveError::MFileNotFound(u"n"), u"File not Found"},
        {MZipArchiveError::MFileNotCreated(u"n"), u"Error while creating file"},
        {MZipArchiveError::MDeflate(u"n"), u"Error while decompressing"},
        {MZipArchiveError::MInflate(u"n"), u"Error while compressing"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.error.message, c.message);
        EXPECT_EQ(c.error.name, u"n");
    }
    try {
        throw MZipArchiveError::MDeflate(u"data_1");
    } catch (const MZipArchiveError::MGeneric& e) {
        EXPECT_EQ(e.name, u"data_1");
    }
}

}  // namespace
