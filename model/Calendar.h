#pragma once
// The proleptic Gregorian calendar, as <chrono> reckons it, over any count of days, and
// the English month abbreviations every time text uses.

#include <array>
#include <cstdint>
#include <string_view>

namespace tallowmark {

inline constexpr std::int64_t kDay = 86400;  // seconds

inline constexpr std::array<std::string_view, 12> kMonthAbbreviations = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// `a` divided by the positive `b`, rounded towards minus infinity.
constexpr std::int64_t FloorDiv(std::int64_t a, std::int64_t b) { return a / b - (a % b < 0); }

struct CivilTime {
    std::int64_t year;
    unsigned month, day, hour, minute, second;
};

// Days since 1970-01-01 of day `day` of `month` (1 to 12) of `year`; a day past the end
// of its month counts on into the next.
std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day);
// Whether `day` is a day of `month` (1 to 12) of `year`.
bool IsCivilDate(std::int64_t year, unsigned month, unsigned day);
// The calendar fields of a count of seconds since 1970-01-01 00:00:00, leap seconds aside.
CivilTime CivilFromSeconds(std::int64_t secondsSince1970);
// The day of the week of a count of days since 1970-01-01: 0 for Sunday to 6 for Saturday.
unsigned WeekdayOf(std::int64_t daysSince1970);

}  // namespace tallowmark
