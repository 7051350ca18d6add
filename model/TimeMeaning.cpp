#include "model/TimeMeaning.h"

namespace tallowmark {

namespace {
using Fields = std::array<TimeMeaning, kRecordTimeFields.size()>;

constexpr TimeMeaning kExpires{"Expires", TimeClock::Utc, BodyColumn::None, "Expires"};
constexpr TimeMeaning kLastChecked{"Last checked", TimeClock::Utc, BodyColumn::Changed, "Last Checked"};
// When the cached copy of the entry was written (0 where there is none).
constexpr TimeMeaning kCacheFileCreated{"Cached file created", TimeClock::Utc, BodyColumn::Born, "Cached File Created"};
constexpr TimeMeaning kLastAccessed{"Last accessed", TimeClock::Utc, BodyColumn::Accessed, "Last Accessed"};
constexpr TimeMeaning kLastVisited{"Last visited", TimeClock::Utc, BodyColumn::Accessed, "Last Visited"};
constexpr TimeMeaning kVisitedWallClock{"Last visited (local clock of the source machine)", TimeClock::SourceWallClock,
                                        BodyColumn::None, "Last Visited"};

// The three FAT date-times mean the same for every kind, but where a kind's own times
// take their body-file column.
constexpr Fields TimesOf(TimeMeaning modified, TimeMeaning accessed, TimeMeaning created = kCacheFileCreated) {
    return {{modified, accessed, kExpires, kLastChecked, created}};
}

// Cookies and the browser's other stores, and cached pages.
constexpr Fields kStoreTimes =
    TimesOf({"Last modified", TimeClock::Utc, BodyColumn::Modified, "Content Modified"}, kLastAccessed);
constexpr Fields kCacheTimes =
    TimesOf({"Last modified on the server", TimeClock::Utc, BodyColumn::Modified, "Content Modified"}, kLastAccessed);
// Both times of the main history hold the visit; the body file takes it once.
constexpr Fields kHistoryTimes =
    TimesOf({"Last visited", TimeClock::Utc, BodyColumn::None, "Last Visited"}, kLastVisited);
// A day's history keeps the visit twice, at 0x08 on the source machine's clock; the body
// file takes the instant at 0x10.
constexpr Fields kDailyTimes = TimesOf(kVisitedWallClock, kLastVisited);
// A week's history keeps the visit only on the source machine's clock, and when the
// entry was made at 0x10.
constexpr Fields kWeeklyTimes =
    TimesOf({kVisitedWallClock.label, TimeClock::SourceWallClock, BodyColumn::Accessed, "Last Visited"},
            {"File created", TimeClock::Utc, BodyColumn::Born, "File Created"},
            {kCacheFileCreated.label, TimeClock::Utc, BodyColumn::None, kCacheFileCreated.timesketchDescription});

constexpr std::array<const Fields*, kEntryKindCount> kMeanings = {
    &kCacheTimes,    // cache
    &kStoreTimes,    // cookie
    &kHistoryTimes,  // history
    &kDailyTimes,    // history-daily
    &kWeeklyTimes,   // history-weekly
    &kStoreTimes,   &kStoreTimes, &kStoreTimes, &kStoreTimes, &kStoreTimes, &kStoreTimes, &kStoreTimes,
};

constexpr bool EachBodyColumnOnce(const Fields& fields) {
    for (std::size_t i = 0; i < fields.size(); ++i)
        for (std::size_t j = i + 1; j < fields.size(); ++j)
            if (fields[i].bodyColumn != BodyColumn::None && fields[i].bodyColumn == fields[j].bodyColumn) return false;
    return true;
}
static_assert(EachBodyColumnOnce(kStoreTimes) && EachBodyColumnOnce(kCacheTimes) && EachBodyColumnOnce(kHistoryTimes) &&
              EachBodyColumnOnce(kDailyTimes) && EachBodyColumnOnce(kWeeklyTimes));
}  // namespace

const TimeMeaning& MeaningOf(EntryKind kind, RecordTimeField field) {
    return (*kMeanings[static_cast<std::size_t>(kind)])[static_cast<std::size_t>(field)];
}

}  // namespace tallowmark
