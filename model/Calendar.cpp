#include "model/Calendar.h"

#include <chrono>

namespace tallowmark {

namespace {
namespace chrono = std::chrono;

// The calendar repeats every 400 years, 146097 days. <chrono> counts the years of one such
// era, from 1970 on; the whole eras before or after it are added apart.
constexpr std::int64_t kDaysPerEra = 146097;
constexpr std::int64_t kFirstYearOfEra = 1970;
}  // namespace

std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day) {
    const std::int64_t eras = FloorDiv(year - kFirstYearOfEra, 400);
    const chrono::year inEra{static_cast<int>(year - eras * 400)};
    const chrono::sys_days first = inEra / chrono::month{month} / 1;
    return eras * kDaysPerEra + first.time_since_epoch().count() + day - 1;
}

bool IsCivilDate(std::int64_t year, unsigned month, unsigned day) {
    // Leap years repeat with the eras too.
    const chrono::year inEra{static_cast<int>(year - FloorDiv(year - kFirstYearOfEra, 400) * 400)};
    return (inEra / chrono::month{month} / chrono::day{day}).ok();
}

CivilTime CivilFromSeconds(std::int64_t secondsSince1970) {
    const std::int64_t days = FloorDiv(secondsSince1970, kDay);
    const auto secondOfDay = static_cast<unsigned>(secondsSince1970 - days * kDay);
    const std::int64_t eras = FloorDiv(days, kDaysPerEra);
    const chrono::year_month_day date{chrono::sys_days{chrono::days{days - eras * kDaysPerEra}}};
    return {static_cast<int>(date.year()) + eras * 400,
            static_cast<unsigned>(date.month()),
            static_cast<unsigned>(date.day()),
            secondOfDay / 3600,
            secondOfDay / 60 % 60,
            secondOfDay % 60};
}

unsigned WeekdayOf(std::int64_t daysSince1970) {
    return chrono::weekday{chrono::sys_days{chrono::days{daysSince1970}}}.c_encoding();
}

}  // namespace tallowmark
