#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>

#include "model/Calendar.h"
#include "model/LocalTimeRules.h"
#include "model/PreciseTime.h"
#include "model/TimeText.h"
#include "support/EnvironmentScope.h"
#include "support/IndexFileBuilder.h"
#include "support/TempDir.h"
#include "support/TimeZoneScope.h"

namespace tallowmark {
namespace {

using testing::FileTimeOf;
using testing::TimeZoneScope;

constexpr const char* kEast = "CET-1CEST,M3.5.0,M10.5.0/3";  // UTC+1, summer +2
constexpr const char* kWest = "EST5EDT,M3.2.0,M11.1.0";      // UTC-5, summer -4
constexpr std::int64_t kJanuary2026 = 1768478400;            // 2026-01-15 12:00 UTC
constexpr std::int64_t kJuly2026 = 1784116800;               // 2026-07-15 12:00 UTC

using testing::PresentTimeScope;

std::string Short(FileTime time) { return FormatTime(ToTimeValue(time), SHORT_TIME_FORMAT); }
std::string Long(FileTime time) { return FormatTime(ToTimeValue(time), LONG_TIME_FORMAT); }

// The C library's locale, put back as it was at the scope's end.
class LocaleScope {
public:
    LocaleScope() : m_previous(std::setlocale(LC_ALL, nullptr)) {}
    ~LocaleScope() { std::setlocale(LC_ALL, m_previous.c_str()); }
    LocaleScope(const LocaleScope&) = delete;
    LocaleScope& operator=(const LocaleScope&) = delete;
    bool Set(int category, const char* name) { return std::setlocale(category, name) != nullptr; }

private:
    std::string m_previous;
};

// Gives the C library German month names, whatever locales the machine has: here from a
// locale compiled into `folder`, which glibc searches through LOCPATH.
bool UseGermanMonthNames(LocaleScope& locale, const testing::TempDir& folder, testing::EnvironmentScope& environment) {
#ifdef _WIN32
    (void)folder;
    (void)environment;
    return locale.Set(LC_TIME, "de-DE");
#else
    const std::string source = folder.Path("german-time");
    std::ofstream(source) << "LC_TIME\ncopy \"de_DE\"\nEND LC_TIME\n";
    // localedef warns of the categories the source leaves out, and says so in its status.
    const std::string command =
        "localedef -c -f UTF-8 -i '" + source + "' '" + folder.Path("de_TEST.UTF-8") + "' >/dev/null 2>&1";
    if (std::system(command.c_str()) == -1) return false;
    environment.Set("LOCPATH", folder.Root().string());
    return locale.Set(LC_TIME, "de_TEST.UTF-8");
#endif
}

// The C library's abbreviation of March.
std::string LibraryMarch() {
    std::tm march{};
    march.tm_mon = 2;
    char month[16];
    return std::strftime(month, sizeof month, "%b", &march) ? month : "";
}

TEST(TimeText, Utc) {
    TimeZoneScope zone("UTC0");
    PresentTimeScope now(kJanuary2026);
    EXPECT_EQ(ToTimeValue(0), 0);
    EXPECT_EQ(Short(0), "01 Jan 1970, 00:00");
    const FileTime march = FileTimeOf(2008, 3, 5, 14, 7, 59);
    EXPECT_EQ(Short(march), "05 Mar 2008, 14:07");  // seconds cut, not rounded
    EXPECT_EQ(Long(march), "05 Mar 2008, 14:07:59");
    EXPECT_EQ(ToTimeValue(FileTimeOf(1850, 1, 1)), 0);  // before 1900 counts as 0
    EXPECT_EQ(Short(FileTimeOf(1950, 6, 1)), "");       // outside 32 bits
    EXPECT_EQ(ToTimeValue(FileTimeOf(1950, 6, 1)), -1);
    EXPECT_EQ(Short(FileTimeOf(2050, 6, 1)), "");
    EXPECT_EQ(ToTimeValue(FileTimeOf(2038, 1, 19, 3, 14, 7)), 2147483647);
    EXPECT_EQ(ToTimeValue(FileTimeOf(2038, 1, 19, 3, 14, 8)), -1);
    EXPECT_EQ(ToTimeValue(FileTimeOf(1970, 1, 1, 0, 0, 1)), 1);
    EXPECT_EQ(ToTimeValue(0x8000000000000000ull), 0);  // not representable: fails, 0
    EXPECT_EQ(ToTimeValue(0xFFFFFFFFFFFFFFFFull), 0);
    EXPECT_EQ(ToTimeValue(0x7FFFFFFFFFFFFFFFull), -1);
}

TEST(TimeText, EastOfUtcWithDaylightSaving) {
    TimeZoneScope zone(kEast);
    {
        PresentTimeScope now(kJanuary2026);
        EXPECT_EQ(Short(0), "01 Jan 1970, 01:00");  // 1601 + 1 h is before 1900: the epoch
        EXPECT_EQ(Short(FileTimeOf(2008, 1, 10, 12, 0)), "10 Jan 2008, 13:00");
        // Recorded at 14:00 local summer time; shifted by the winter offset it shows 13:00.
        EXPECT_EQ(Short(FileTimeOf(2008, 6, 15, 12, 0)), "15 Jun 2008, 13:00");
    }
    {
        PresentTimeScope now(kJuly2026);
        EXPECT_EQ(Short(FileTimeOf(2008, 6, 15, 12, 0)), "15 Jun 2008, 14:00");
        // A winter time viewed in summer is shifted by the summer offset.
        EXPECT_EQ(Short(FileTimeOf(2008, 1, 10, 12, 0)), "10 Jan 2008, 14:00");
    }
}

TEST(TimeText, WestOfUtcWithDaylightSaving) {
    TimeZoneScope zone(kWest);
    PresentTimeScope now(kJanuary2026);
    EXPECT_EQ(ToTimeValue(0), 0);  // shifted below zero: refused, 0
    EXPECT_EQ(Short(0), "31 Dec 1969, 19:00");
    EXPECT_EQ(Long(FileTimeOf(2008, 3, 5, 14, 7, 59)), "05 Mar 2008, 09:07:59");
    EXPECT_EQ(Short(FileTimeOf(2008, 7, 4, 16, 0)), "04 Jul 2008, 11:00");
}

TEST(TimeText, NeverFollowsTheCLocale) {
    LocaleScope locale;
    const testing::TempDir folder;
    testing::EnvironmentScope environment;
    if (!UseGermanMonthNames(locale, folder, environment) || LibraryMarch() == "Mar")
        GTEST_SKIP() << "no locale with other month names here (localedef and the package locales make one)";
    TimeZoneScope zone("UTC0");
    PresentTimeScope now(kJanuary2026);
    EXPECT_EQ(Short(FileTimeOf(2008, 3, 5, 14, 7)), "05 Mar 2008, 14:07");
    EXPECT_EQ(Short(FileTimeOf(2008, 12, 24, 0, 0)), "24 Dec 2008, 00:00");
}

TEST(TimeText, SizeIsUnsignedDecimal) {
    EXPECT_EQ(SizeText(384), "384");
    EXPECT_EQ(SizeText(0x80000000ull), "2147483648");
}

#ifndef _WIN32  // the reference is glibc's: Windows' C library reads no zone names such as Europe/Berlin
// The conversions straight from the C library, step by step, to check the table-driven ones.
TimeValue ReferenceToTimeValue(FileTime fileTime, std::int64_t now) {
    std::tm nowFields{};
    const std::time_t nowT = now;
    localtime_r(&nowT, &nowFields);
    const std::int64_t offset = nowFields.tm_gmtoff;
    if (fileTime >= (1ull << 63)) return 0;
    const std::int64_t local = static_cast<std::int64_t>(fileTime) + offset * 10'000'000;
    if (local < 0) return 0;
    const std::time_t localSeconds = local / 10'000'000 - 11'644'473'600LL;
    std::tm fields{};
    gmtime_r(&localSeconds, &fields);
    if (fields.tm_year < 0) return 0;
    fields.tm_isdst = -1;
    const std::time_t instant = std::mktime(&fields);
    if (instant < 0 || instant > 2147483647) return -1;
    return static_cast<TimeValue>(instant);
}

std::string ReferenceFormat(TimeValue value, TimeFormat format) {
    if (value < 0) return {};
    const std::time_t t = value;
    std::tm fields{};
    localtime_r(&t, &fields);
    char buffer[128];
    const char* pattern = format == SHORT_TIME_FORMAT ? "%d %b %Y, %H:%M" : "%d %b %Y, %H:%M:%S";
    return std::strftime(buffer, sizeof buffer, pattern, &fields) ? buffer : "";
}

TEST(TimeText, MatchesTheCLibraryEverywhereIncludingAroundClockChanges) {
    LocaleScope locale;
    locale.Set(LC_TIME, "C");
    std::mt19937_64 random(20261208);
    for (const char* zoneName : {"UTC0", kEast, kWest, "Europe/Berlin", "America/New_York", "Australia/Lord_Howe"}) {
        TimeZoneScope zone(zoneName);
        for (std::int64_t now : {kJanuary2026, kJuly2026}) {
            PresentTimeScope present(now);
            std::vector<FileTime> samples;
            std::uniform_int_distribution<std::int64_t> anyYear(FileTimeOf(1965, 1, 1), FileTimeOf(2040, 1, 1));
            for (int i = 0; i < 4000; ++i) samples.push_back(static_cast<FileTime>(anyYear(random)));
            // Every 20 minutes through the spring and autumn changes of two years.
            for (int year : {1996, 2008}) {
                for (int month : {3, 4, 10, 11}) {
                    for (int minute = 0; minute < 31 * 24 * 60; minute += 20)
                        samples.push_back(FileTimeOf(year, month, 1) + minute * 600'000'000ull);
                }
            }
            // The edges of what a TimeValue holds, and times that are no dates.
            for (FileTime edge : {FileTimeOf(1969, 12, 30), FileTimeOf(1970, 1, 1), FileTimeOf(2038, 1, 18),
                                  FileTimeOf(2038, 1, 19, 3, 14, 7), FileTimeOf(2038, 1, 20)}) {
                for (int hour = -30; hour <= 30; ++hour) samples.push_back(edge + hour * 36'000'000'000ll);
            }
            samples.insert(samples.end(), {0, 1ull << 63, ~0ull});
            ShortTimeTexts shortTexts;  // one for all, as an export uses it, in no order
            for (FileTime sample : samples) {
                const TimeValue expected = ReferenceToTimeValue(sample, now);
                ASSERT_EQ(ToTimeValue(sample), expected) << zoneName << " " << sample;
                ASSERT_EQ(FormatTime(expected, LONG_TIME_FORMAT), ReferenceFormat(expected, LONG_TIME_FORMAT))
                    << zoneName << " " << expected;
                char text[ShortTimeTexts::kLength];
                const std::string_view written(text, static_cast<std::size_t>(shortTexts.Write(text, sample) - text));
                ASSERT_EQ(written, ReferenceFormat(expected, SHORT_TIME_FORMAT)) << zoneName << " " << sample;
            }
        }
    }
}
#endif

TEST(IsoTime, AStoredTimeIsTheSameInstantInEveryZone) {
    const FileTime stored = FileTimeOf(2008, 3, 5, 14, 7, 59) + 9'999'999;  // parts of a second are cut
    for (const char* zone : {"UTC0", "CET-1CEST,M3.5.0,M10.5.0/3", "EST5EDT,M3.2.0,M11.1.0"}) {
        TimeZoneScope scope(zone);
        std::string text;
        EXPECT_TRUE(AppendIsoTime(text, stored, false));
        EXPECT_EQ(text, "2008-03-05T14:07:59Z") << zone;
        EXPECT_FALSE(AppendIsoTime(text, 0, false)) << "a zero time is absent";
    }
    std::string edges;
    EXPECT_TRUE(AppendIsoTime(edges, 1, false));
    EXPECT_TRUE(AppendIsoTime(edges += ' ', FileTimeOf(9999, 12, 31, 23, 59, 59), false));
    EXPECT_EQ(edges, "1601-01-01T00:00:00Z 9999-12-31T23:59:59Z");
    EXPECT_FALSE(AppendIsoTime(edges, FileTimeOf(9999, 12, 31, 23, 59, 59) + 10'000'000, false));
}

// Linux only: Windows' C library does not read zone names such as Europe/Berlin.
#ifndef _WIN32
TEST(IsoTime, LocalTimeTakesTheOffsetOfEachDate) {
    TimeZoneScope scope("Europe/Berlin");
    auto local = [](FileTime time) {
        std::string text;
        AppendIsoTime(text, time, true);
        return text;
    };
    EXPECT_EQ(local(FileTimeOf(2008, 3, 30, 0, 59, 59)), "2008-03-30T01:59:59+01:00");
    EXPECT_EQ(local(FileTimeOf(2008, 3, 30, 1, 0, 0)), "2008-03-30T03:00:00+02:00");
    EXPECT_EQ(local(FileTimeOf(2008, 10, 26, 1, 0, 0)), "2008-10-26T02:00:00+01:00");
    // Before 1970 as well: Berlin kept summer time in 1945-49.
    EXPECT_EQ(local(FileTimeOf(1947, 6, 1, 12, 0, 0)), "1947-06-01T15:00:00+03:00");
    EXPECT_EQ(local(FileTimeOf(2050, 7, 1, 12, 0, 0)), "2050-07-01T14:00:00+02:00");
}
#endif

TEST(CivilCalendar, RoundTripsAcrossCenturies) {
    for (std::int64_t days = -800000; days <= 800000; days += 997) {
        const CivilTime civil = CivilFromSeconds(days * 86400 + 3723);
        EXPECT_EQ(DaysFromCivil(civil.year, civil.month, civil.day), days);
        EXPECT_EQ(civil.hour, 1u);
        EXPECT_EQ(civil.minute, 2u);
        EXPECT_EQ(civil.second, 3u);
    }
}

// A file system keeps its times from 1970 in seconds and nanoseconds: 0 is no time, and one
// before 1601 has no FileTime.
TEST(IsoTime, AFileSystemsUnixTimeBecomesTheSameInstant) {
    EXPECT_EQ(FileTimeOfUnixTime(0, 0), std::nullopt);
    EXPECT_EQ(FileTimeOfUnixTime(0, 100), std::optional<FileTime>(116444736000000001ull));
    EXPECT_EQ(FileTimeOfUnixTime(1289379240, 500), std::optional<FileTime>(129338528400000005ull));
    EXPECT_EQ(FileTimeOfUnixTime(-11644473600, 0), std::optional<FileTime>(0));
    EXPECT_EQ(FileTimeOfUnixTime(-11644473601, 0), std::nullopt);
}

}  // namespace
}  // namespace tallowmark
