#include "presentation/TimelineBars.h"

#include <algorithm>

#include "model/LocalTimeRules.h"
#include "presentation/ListText.h"

namespace tallowmark {

TimelineDays GatherTimelineDays(const TallowmarkDoc& document, const RowList& rows, TimeBasis basis) {
    const LocalTimeBatch sameZoneThroughout;
    TimelineDays gathered;
    gathered.basis = basis;
    for (std::uint32_t row : rows) {
        const std::optional<TimeValue> time = TimelineTime(document.Record(row), basis);
        if (!time) continue;
        if (const std::optional<std::int64_t> day = ShownDay(*time)) gathered.days.push_back(*day);
        else
            ++gathered.noDate;
    }
    return gathered;
}

int Timeline::BarOf(const TimePeriod& period) const {
    const auto found = std::find(periods.begin(), periods.end(), period);
    return found == periods.end() ? -1 : static_cast<int>(found - periods.begin());
}

Timeline BuildTimeline(const TimelineDays& gathered, int maxBars) {
    Timeline timeline;
    timeline.basis = gathered.basis;
    timeline.noDate = gathered.noDate;
    if (gathered.days.empty()) return timeline;
    const auto range = std::minmax_element(gathered.days.begin(), gathered.days.end());
    const auto low = range.first, high = range.second;  // plain names: lambdas below use them
    const auto barsOf = [&](PeriodUnit unit) {
        std::size_t bars = 0;
        for (TimePeriod period = PeriodOf(gathered.basis, unit, *low); period.firstDay <= *high; period = period.Next())
            if (++bars > static_cast<std::size_t>(std::max(maxBars, 1))) break;
        return bars;
    };
    const std::size_t limit = static_cast<std::size_t>(std::max(maxBars, 1));
    timeline.unit = barsOf(PeriodUnit::Day) <= limit    ? PeriodUnit::Day
                    : barsOf(PeriodUnit::Week) <= limit ? PeriodUnit::Week
                                                        : PeriodUnit::Month;
    for (TimePeriod period = PeriodOf(gathered.basis, timeline.unit, *low); period.firstDay <= *high;
         period = period.Next())
        timeline.periods.push_back(period);
    timeline.counts.assign(timeline.periods.size(), 0);
    for (std::int64_t day : gathered.days) {
        // The periods are sorted and contiguous: the last one starting at or before the day holds it.
        const auto holder =
            std::upper_bound(timeline.periods.begin(), timeline.periods.end(), day,
                             [](std::int64_t value, const TimePeriod& p) { return value < p.firstDay; });
        ++timeline.counts[static_cast<std::size_t>(holder - timeline.periods.begin()) - 1];
    }
    timeline.highest = *std::max_element(timeline.counts.begin(), timeline.counts.end());
    return timeline;
}

std::string BarTip(const Timeline& timeline, std::size_t bar) {
    if (bar >= timeline.periods.size()) return {};
    return PeriodLabel(timeline.periods[bar]) + ": " + RecordCountText(timeline.counts[bar]);
}

}  // namespace tallowmark
