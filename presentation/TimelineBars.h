#pragma once
// The timeline under a list: how many URL records fall in each day, week or
// month, with the unit chosen so that the bars fit.

#include <cstdint>
#include <string>
#include <vector>

#include "presentation/RecordSort.h"
#include "presentation/TimePeriod.h"

namespace tallowmark {

// The shown local day of each row's time, gathered once per refill so that resizing
// only regroups them.
struct TimelineDays {
    TimeBasis basis = TimeBasis::Accessed;
    std::vector<std::int64_t> days;  // one per dated URL row
    std::uint32_t noDate = 0;        // URL rows whose time shows empty or as the epoch
};
TimelineDays GatherTimelineDays(const TallowmarkDoc& document, const RowList& rows, TimeBasis basis);

struct Timeline {
    TimeBasis basis = TimeBasis::Accessed;
    PeriodUnit unit = PeriodUnit::Day;
    std::vector<TimePeriod> periods;    // consecutive, empty ones included
    std::vector<std::uint32_t> counts;  // one per period
    std::uint32_t noDate = 0;
    std::uint32_t highest = 0;

    // The bar holding `period`, or -1.
    int BarOf(const TimePeriod& period) const;
};

// Days when the bars fit in `maxBars`, else weeks, else months.
Timeline BuildTimeline(const TimelineDays& days, int maxBars);

// "Week of 03 Mar 2008: 12 records"
std::string BarTip(const Timeline& timeline, std::size_t bar);

}  // namespace tallowmark
