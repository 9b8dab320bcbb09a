#include "exports/library_identity.h"
#include "exports/version_registry.h"
#include "sibling/kor_identity.h"
#include "sibling/korsax_info.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <optional>
#include <regex>
#include <string>
#include <vector>

namespace {

using Records = std::vector<KorLibraryVersion*>;

std::string Utf8(const char16_t* text) { return text ? qtest::Narrow(text) : "<null>"; }

TEST(BuildDate, DayOfTheMonthIsWrittenWithoutPadding) {
    struct Case {
        const char* compilerDate;
        const char16_t* written;
    } cases[] = {
        {"Apr 11 2008", u"Apr 11 2008"},
        {"Dec  1 2026", u"Dec 1 2026"},
        {"Jan 31 1999", u"Jan 31 1999"},
        {"Feb  9 2030", u"Feb 9 2030"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(std::u16string(kor::BuildDate(c.compilerDate).chars), c.written) << c.compilerDate;
    EXPECT_EQ(std::u16string(kor::IdentityString(u"Quenzil", u"02", u"00", u"00", u"00",
                                                 "Apr 11 2008", "12:18:24")
                                 .chars),
              u"<KorLibrary::Quenzil::02::00::00::00::Unicode-Intel-Release::Timestamp::"
              u"Apr 11 2008::12:18:24>");
}

TEST(LibraryIdentity, StringAndRecordDescribeThisBuild) {
    using namespace Quenzil_02_00_00_00;
    const std::regex format(
        "<KorLibrary::(Quenzil|KorSax)::0[28]::00::00::00::Unicode-Intel-Release::Timestamp::"
        "((Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) [1-9][0-9]? [0-9]{4}::"
        "[0-2][0-9]:[0-5][0-9]:[0-6][0-9])>");
    std::smatch match;
    std::string info = Utf8(__g_korlibrary_info);
    ASSERT_TRUE(std::regex_match(info, match, format)) << info;
    EXPECT_EQ(match[1], "Quenzil");
    std::string sibling = Utf8(KorSax_08_00_00_00::__g_korlibrary_info);
    EXPECT_TRUE(std::regex_match(sibling, format)) << sibling;

    EXPECT_EQ(__g_version.info, __g_korlibrary_info);  // the same pointer
    EXPECT_EQ(Utf8(__g_version.name), "Quenzil");
    EXPECT_EQ(Utf8(__g_version.versionParts[0]), "02");
    for (int i = 1; i < 4; ++i) EXPECT_EQ(Utf8(__g_version.versionParts[i]), "00");
    EXPECT_EQ(Utf8(__g_version.timestamp), match[2]);
    EXPECT_FALSE(__g_version.isDebugBuild);
    EXPECT_FALSE(__g_version.isPreRelease);
    EXPECT_TRUE(__g_version.isUnicodeBuild);
}

TEST(LibraryIdentity, AccessorReturnsTheSiblingsPointer) {
    EXPECT_EQ(KorSax_08_00_00_00::__GetKorLibraryInfo(), KorSax_08_00_00_00::__g_korlibrary_info);
}

TEST(VersionRegistry, HoldsTheLibraryRecordOnceLoaded) {
    const Records& records = quenzil::GetVersionRegistry().Records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0], &Quenzil_02_00_00_00::__g_version);
}

TEST(VersionRegistry, RecordsRegisterInOrderAndLeaveWhenDestroyed) {
    const Records before = quenzil::GetVersionRegistry().Records();
    auto now = [] { return quenzil::GetVersionRegistry().Records(); };
    auto plus = [&](Records tail) {
        Records all = before;
        all.insert(all.end(), tail.begin(), tail.end());
        return all;
    };
    {
        // A then B registered; destroying A leaves B.
        std::optional<KorLibraryVersion> a(std::in_place, u"A", nullptr, u"1", u"0", u"0", u"0");
        std::optional<KorLibraryVersion> b(std::in_place, u"B", nullptr, u"2", u"0", u"0", u"0");
        EXPECT_EQ(now(), plus({&*a, &*b}));
        EXPECT_EQ(a->timestamp, Quenzil_02_00_00_00::__g_version.timestamp);
        a.reset();
        EXPECT_EQ(now(), plus({&*b}));

        // A record that is not registered (a copy) changes nothing when it goes.
        { KorLibraryVersion copy(*b); }
        EXPECT_EQ(now(), plus({&*b}));
        b.reset();
        EXPECT_EQ(now(), before);
    }
    {
        // Destroying B of A, B leaves A.
        KorLibraryVersion a(u"A", nullptr, nullptr, nullptr, nullptr, nullptr);
        { KorLibraryVersion b(u"B", nullptr, nullptr, nullptr, nullptr, nullptr); }
        EXPECT_EQ(now(), plus({&a}));
    }
    EXPECT_EQ(now(), before);
}

TEST(VersionRegistry, RemovalTakesTheFirstMatchOnly) {
    KorLibraryVersion a(u"A", nullptr, nullptr, nullptr, nullptr, nullptr);
    KorLibraryVersion b(u"B", nullptr, nullptr, nullptr, nullptr, nullptr);
    quenzil::VersionRegistry registry;
    registry.Remove(&a);  // unknown: nothing happens
    EXPECT_TRUE(registry.Records().empty());
    registry.Add(&a);
    registry.Add(&b);
    registry.Add(&a);
    registry.Remove(&a);
    EXPECT_EQ(registry.Records(), (Records{&b, &a}));
    registry.Remove(&a);
    EXPECT_EQ(registry.Records(), (Records{&b}));
}

}  // namespace
