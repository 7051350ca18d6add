#include "presentation/TimePeriod.h"

#include <charconv>

#include "model/Calendar.h"
#include "model/LocalTimeRules.h"
#include "presentation/Columns.h"

namespace tallowmark {

namespace {
constexpr std::string_view kAccessedPrefix = "accessed:";
constexpr std::string_view kModifiedPrefix = "modified:";

std::int64_t MondayOf(std::int64_t day) { return day - (WeekdayOf(day) + 6) % 7; }

CivilTime CivilOfDay(std::int64_t day) { return CivilFromSeconds(day * kDay); }

std::int64_t FirstOfMonth(std::int64_t year, unsigned month) { return DaysFromCivil(year, month, 1); }

std::int64_t IsoWeekOneMonday(std::int64_t year) { return MondayOf(DaysFromCivil(year, 1, 4)); }

std::string Digits(std::int64_t value, int width) {
    std::string text = std::to_string(value);
    if (static_cast<int>(text.size()) < width) text.insert(0, static_cast<std::size_t>(width) - text.size(), '0');
    return text;
}

// A whole field of exactly `width` digits.
std::optional<int> Number(std::string_view text, std::size_t width) {
    if (text.size() != width) return std::nullopt;
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text[0] == '-' || text[0] == '+')
        return std::nullopt;
    return value;
}

std::optional<TimePeriod> ParsePeriodBody(TimeBasis basis, std::string_view body) {
    if (body.size() < 7 || body[4] != '-') return std::nullopt;
    const std::optional<int> year = Number(body.substr(0, 4), 4);
    if (!year || *year < 1900) return std::nullopt;
    std::optional<TimePeriod> period;
    if (body[5] == 'W') {
        const std::optional<int> week = Number(body.substr(6), 2);
        if (week && *week >= 1 && *week <= 53)
            period = TimePeriod{basis, PeriodUnit::Week, IsoWeekOneMonday(*year) + 7 * (*week - 1)};
    } else if (body.size() == 7) {
        const std::optional<int> month = Number(body.substr(5), 2);
        if (month && *month >= 1 && *month <= 12)
            period = TimePeriod{basis, PeriodUnit::Month, FirstOfMonth(*year, static_cast<unsigned>(*month))};
    } else if (body.size() == 10 && body[7] == '-') {
        const std::optional<int> month = Number(body.substr(5, 2), 2);
        const std::optional<int> day = Number(body.substr(8), 2);
        if (month && day && *month >= 1 && *month <= 12 && *day >= 1 && *day <= 31)
            period = TimePeriod{basis, PeriodUnit::Day,
                                DaysFromCivil(*year, static_cast<unsigned>(*month), static_cast<unsigned>(*day))};
    }
    // A date that does not exist (31 April, week 53 of a 52-week year) writes back differently.
    if (period && PeriodTerm(*period).substr(kAccessedPrefix.size()) != body) return std::nullopt;
    return period;
}
}  // namespace

std::int64_t TimePeriod::EndDay() const {
    switch (unit) {
        case PeriodUnit::Day: return firstDay + 1;
        case PeriodUnit::Week: return firstDay + 7;
        case PeriodUnit::Month: {
            const CivilTime first = CivilOfDay(firstDay);
            return first.month == 12 ? FirstOfMonth(first.year + 1, 1) : FirstOfMonth(first.year, first.month + 1);
        }
    }
    return firstDay + 1;
}

TimePeriod TimePeriod::Next() const { return TimePeriod{basis, unit, EndDay()}; }

TimePeriod PeriodOf(TimeBasis basis, PeriodUnit unit, std::int64_t day) {
    switch (unit) {
        case PeriodUnit::Day: return {basis, unit, day};
        case PeriodUnit::Week: return {basis, unit, MondayOf(day)};
        case PeriodUnit::Month: {
            const CivilTime civil = CivilOfDay(day);
            return {basis, unit, FirstOfMonth(civil.year, civil.month)};
        }
    }
    return {basis, unit, day};
}

std::optional<std::int64_t> ShownDay(TimeValue value) {
    if (value <= 0) return std::nullopt;
    // The same local time the list's date cells show: the offset in force at that instant.
    const std::int64_t local = value + LocalTimeRules::Active().OffsetAt(value);
    return FloorDiv(local, kDay);
}

std::optional<TimeValue> TimelineTime(const IndexRecord& record, TimeBasis basis) {
    // The times a row shows: a LEAK row shows none, whatever its record holds.
    const auto url = WithTimeColumns(record);
    if (!url) return std::nullopt;
    return basis == TimeBasis::Accessed ? url->AccessedTime() : url->ModifiedTime();
}

std::string PeriodTerm(const TimePeriod& period) {
    std::string term(period.basis == TimeBasis::Accessed ? kAccessedPrefix : kModifiedPrefix);
    if (period.unit == PeriodUnit::Week) {
        const std::int64_t year = CivilOfDay(period.firstDay + 3).year;  // the Thursday's year owns the week
        const std::int64_t week = (period.firstDay - IsoWeekOneMonday(year)) / 7 + 1;
        return term + Digits(year, 4) + "-W" + Digits(week, 2);
    }
    const CivilTime first = CivilOfDay(period.firstDay);
    term += Digits(first.year, 4) + "-" + Digits(first.month, 2);
    if (period.unit == PeriodUnit::Day) term += "-" + Digits(first.day, 2);
    return term;
}

std::optional<TimePeriod> ParsePeriodTerm(std::string_view term) {
    if (term.substr(0, kAccessedPrefix.size()) == kAccessedPrefix)
        return ParsePeriodBody(TimeBasis::Accessed, term.substr(kAccessedPrefix.size()));
    if (term.substr(0, kModifiedPrefix.size()) == kModifiedPrefix)
        return ParsePeriodBody(TimeBasis::Modified, term.substr(kModifiedPrefix.size()));
    return std::nullopt;
}

std::string PeriodLabel(const TimePeriod& period) {
    const CivilTime first = CivilOfDay(period.firstDay);
    const std::string monthYear = std::string(kMonthAbbreviations[first.month - 1]) + " " + std::to_string(first.year);
    switch (period.unit) {
        case PeriodUnit::Day: return Digits(first.day, 2) + " " + monthYear;
        case PeriodUnit::Week: return "Week of " + Digits(first.day, 2) + " " + monthYear;
        case PeriodUnit::Month: return monthYear;
    }
    return monthYear;
}

}  // namespace tallowmark
