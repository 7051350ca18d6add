#pragma once
// Days, weeks and months of local time, as the list shows its dates, for the timeline
// and for filtering the list to one of its bars.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/IndexRecord.h"

namespace tallowmark {

enum class TimeBasis { Accessed, Modified };
enum class PeriodUnit { Day, Week, Month };

// One day, week (Monday to Sunday) or month, by the local calendar.
struct TimePeriod {
    TimeBasis basis = TimeBasis::Accessed;
    PeriodUnit unit = PeriodUnit::Day;
    std::int64_t firstDay = 0;  // local days since 1970-01-01

    std::int64_t EndDay() const;  // the first day after the period
    TimePeriod Next() const;
    bool Contains(std::int64_t day) const { return day >= firstDay && day < EndDay(); }
    bool operator==(const TimePeriod&) const = default;
};

// The period of `unit` that holds `day`.
TimePeriod PeriodOf(TimeBasis basis, PeriodUnit unit, std::int64_t day);

// The local day a time shows as in the list; nothing for a time that shows empty or as
// the epoch (0 stands for times that could not be converted).
std::optional<std::int64_t> ShownDay(TimeValue value);

// The time the timeline counts a record by and a period keeps it for: the one its row
// shows, so URL records only.
std::optional<TimeValue> TimelineTime(const IndexRecord& record, TimeBasis basis);

// "accessed:2008-03-05", "accessed:2008-W10" (ISO week), "modified:2008-03": how the
// filter field shows a period.
std::string PeriodTerm(const TimePeriod& period);
std::optional<TimePeriod> ParsePeriodTerm(std::string_view term);

// "05 Mar 2008", "Week of 03 Mar 2008", "Mar 2008".
std::string PeriodLabel(const TimePeriod& period);

}  // namespace tallowmark
