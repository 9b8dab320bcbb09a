#include "exports/library_identity.h"
#include "exports/version_registry.h"
#include "sibling/kor_identity.h"
#include "sibling/korsax_info.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <optional>
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

// "Mmm d yyyy::hh:mm:ss" with an English month and an unpadded day of the month.
bool IsTimestamp(const std::string& text) {
    auto digits = [&](size_t at, size_t count) {
        if (at + count > text.size()) return false;
        for (size_t i = at; i < at + count; ++i)
            if (text[i] < '0' || text[i] > '9') return false;
        return true;
    };
    const std::string months = "JanFebMarAprMayJunJulAugSepOctNovDec";
    size_t month = text.size() < 4 ? std::string::npos : months.find(text.substr(0, 3));
    if (month == std::string::npos || month % 3 != 0 || text[3] != ' ') return false;
    size_t day = 4, dayLength = digits(5, 1) ? 2 : 1;
    if (!digits(day, dayLength) || text[day] == '0') return false;
    int dayValue = std::stoi(text.substr(day, dayLength));
    size_t year = day + dayLength + 1;
    return dayValue <= 31 && text.size() == year + 14 && text[year - 1] == ' ' && digits(year, 4) &&
           text.compare(year + 4, 2, "::") == 0 && digits(year + 6, 2) && text[year + 8] == ':' &&
           digits(year + 9, 2) && text[year + 11] == ':' && digits(year + 12, 2);
}

TEST(LibraryIdentity, StringAndRecordDescribeThisBuild) {
    using namespace Quenzil_02_00_00_00;
    const std::string timestamp = Utf8(__g_version.timestamp);
    EXPECT_TRUE(IsTimestamp(timestamp)) << timestamp;
    EXPECT_EQ(Utf8(__g_korlibrary_info),
              "<KorLibrary::Quenzil::02::00::00::00::Unicode-Intel-Release::Timestamp::" + timestamp +
                  ">");
    const std::string sibling = Utf8(KorSax_08_00_00_00::__g_korlibrary_info);
    const std::string siblingHead =
        "<KorLibrary::KorSax::08::00::00::00::Unicode-Intel-Release::Timestamp::";
    ASSERT_EQ(sibling.rfind(siblingHead, 0), 0u) << sibling;
    EXPECT_TRUE(IsTimestamp(sibling.substr(siblingHead.size(), sibling.size() - siblingHead.size() - 1)))
        << sibling;
    EXPECT_EQ(sibling.back(), '>');

    EXPECT_EQ(__g_version.info, __g_korlibrary_info);  // the same pointer
    EXPECT_EQ(Utf8(__g_version.name), "Quenzil");
    EXPECT_EQ(Utf8(__g_version.versionParts[0]), "02");
    for (int i = 1; i < 4; ++i) EXPECT_EQ(Utf8(__g_version.versionParts[i]), "00");
    EXPECT_FALSE(__g_version.isDebugBuild);
    EXPECT_FALSE(__g_version.isPreRelease);
    EXPECT_TRUE(__g_version.isUnicodeBuild);
}

TEST(LibraryIdentity, TimestampFormatIsRecognised) {
    for (const char* good : {"Apr 11 2008::12:18:24", "Dec 1 2026::00:00:00"})
        EXPECT_TRUE(IsTimestamp(good)) << good;
    for (const char* bad : {"Dec  1 2026::00:00:00", "Dec 01 2026::00:00:00", "Foo 1 2026::00:00:00",
                            "Dec 1 2026::0:00:00", "Dec 1 2026 00:00:00", "Dec 32 2026::00:00:00"})
        EXPECT_FALSE(IsTimestamp(bad)) << bad;
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
