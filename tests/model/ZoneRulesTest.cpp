#include <gtest/gtest.h>

#include "model/Calendar.h"
#include "model/ZoneRules.h"
#include "platform/ReadOnlyFile.h"

namespace tallowmark {
namespace {

std::int64_t Seconds(std::int64_t year, unsigned month, unsigned day, int hour, int minute = 0, int second = 0) {
    return DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
}

std::optional<ZoneRules> Amsterdam() { return ZoneRules::Named("Europe/Amsterdam", ZoneRules::DatabaseFolders()); }

TEST(ZoneRules, WallClockTimesOfANamedZoneBecomeInstants) {
    const auto zone = Amsterdam();
    if (!zone) GTEST_SKIP() << "no zone database here";
    // A daily history visit written at UTC+1 before the change to summer time.
    EXPECT_EQ(zone->InstantOfLocal(Seconds(2013, 3, 10, 10, 38, 51)), Seconds(2013, 3, 10, 9, 38, 51));
    EXPECT_EQ(zone->InstantOfLocal(Seconds(2013, 7, 1, 12)), Seconds(2013, 7, 1, 10));
    // 02:30 never happened on 31 March 2013; 02:30 on 27 October happened twice.
    EXPECT_EQ(zone->InstantOfLocal(Seconds(2013, 3, 31, 2, 30)), Seconds(2013, 3, 31, 1, 30));
    EXPECT_EQ(zone->InstantOfLocal(Seconds(2013, 10, 27, 2, 30)), Seconds(2013, 10, 27, 0, 30));
    // Past the file's list of changes its closing rule holds.
    EXPECT_EQ(zone->OffsetAt(Seconds(2100, 7, 1, 12)), 7200);
    EXPECT_EQ(zone->OffsetAt(Seconds(2100, 1, 1, 12)), 3600);
}

TEST(ZoneRules, PosixRulesAndFixedOffsets) {
    // The southern hemisphere keeps summer time across the new year.
    const auto sydney = ZoneRules::FromPosixRule("AEST-10AEDT,M10.1.0,M4.1.0/3", "test");
    ASSERT_TRUE(sydney);
    EXPECT_EQ(sydney->OffsetAt(Seconds(2030, 1, 15, 0)), 11 * 3600);
    EXPECT_EQ(sydney->OffsetAt(Seconds(2030, 7, 15, 0)), 10 * 3600);
    const auto quoted = ZoneRules::FromPosixRule("<+0330>-3:30", "test");
    ASSERT_TRUE(quoted);
    EXPECT_EQ(quoted->OffsetAt(0), 3 * 3600 + 1800);
    EXPECT_FALSE(ZoneRules::FromPosixRule("CET-1CEST,M13.5.0,M10.5.0", "test"));

    const std::vector<std::string> none;
    EXPECT_EQ(ZoneRules::Named("+01:00", none)->OffsetAt(0), 3600);
    EXPECT_EQ(ZoneRules::Named("-0530", none)->InstantOfLocal(0), 5 * 3600 + 1800);
    EXPECT_EQ(ZoneRules::Named("+01", none)->OffsetAt(0), 3600);
    EXPECT_EQ(ZoneRules::Named("Z", none)->OffsetAt(0), 0);
    for (const char* bad : {"+1", "+25:00", "+01:60", "01:00", "+01:00x"})
        EXPECT_FALSE(ZoneRules::Named(bad, none)) << bad;
}

TEST(ZoneRules, NamesNeverLeaveTheDatabaseAndDamagedFilesAreRefused) {
    std::string why;
    for (const char* bad : {"../../etc/passwd", "/etc/localtime", "Europe/../../x", "Europe//Paris", ""}) {
        EXPECT_FALSE(ZoneRules::Named(bad, ZoneRules::DatabaseFolders(), &why)) << bad;
        EXPECT_FALSE(why.empty());
    }
    EXPECT_FALSE(ZoneRules::Named("Nowhere/Atlantis", ZoneRules::DatabaseFolders(), &why));
    EXPECT_NE(why.find("Nowhere/Atlantis"), std::string::npos);

    // Every shortened copy of a real zone file is read within its bytes or refused.
    const auto file = platform::ReadWholeFile("/usr/share/zoneinfo/Europe/Amsterdam");
    if (file.error != platform::FileError::None) GTEST_SKIP() << "no zone database here";
    for (std::size_t size = 0; size < file.size; size += 7) {
        std::vector<std::uint8_t> copy(file.bytes.get(), file.bytes.get() + size);
        if (const auto zone = ZoneRules::FromZoneFile(copy, "cut")) (void)zone->OffsetAt(Seconds(2013, 7, 1, 0));
    }
}

}  // namespace
}  // namespace tallowmark
