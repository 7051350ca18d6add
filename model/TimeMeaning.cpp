#include "model/TimeMeaning.h"

namespace tallowmark {

namespace {
using Fields = std::array<TimeMeaning, kRecordTimeFields.size()>;

constexpr TimeMeaning kExpires{"Expires", TimeClock::Utc, TimeEvent::Expires};
constexpr TimeMeaning kLastChecked{"Last checked", TimeClock::Utc, TimeEvent::Checked};
// When the cached copy of the entry was written (0 where there is none).
constexpr TimeMeaning kCacheFileCreated{"Cached file created", TimeClock::Utc, TimeEvent::CacheFileCreated};
constexpr TimeMeaning kLastAccessed{"Last accessed", TimeClock::Utc, TimeEvent::Accessed};
constexpr TimeMeaning kLastVisited{"Last visited", TimeClock::Utc, TimeEvent::Visited};
constexpr TimeMeaning kVisitedWallClock{"Last visited (local clock of the source machine)", TimeClock::SourceWallClock,
                                        TimeEvent::Visited};

// The three FAT date-times mean the same for every kind.
constexpr Fields TimesOf(TimeMeaning modified, TimeMeaning accessed) {
    return {{modified, accessed, kExpires, kLastChecked, kCacheFileCreated}};
}

// Cookies and the browser's other stores, and cached pages.
constexpr Fields kStoreTimes = TimesOf({"Last modified", TimeClock::Utc, TimeEvent::Modified}, kLastAccessed);
constexpr Fields kCacheTimes =
    TimesOf({"Last modified on the server", TimeClock::Utc, TimeEvent::Modified}, kLastAccessed);
// Both times of the main history hold the visit.
constexpr Fields kHistoryTimes = TimesOf(kLastVisited, kLastVisited);
// A day's history keeps the visit twice, at 0x08 on the source machine's clock.
constexpr Fields kDailyTimes = TimesOf(kVisitedWallClock, kLastVisited);
// A week's history keeps the visit only on the source machine's clock, and when the
// entry was made at 0x10.
constexpr Fields kWeeklyTimes = TimesOf(kVisitedWallClock, {"File created", TimeClock::Utc, TimeEvent::EntryCreated});

constexpr std::array<const Fields*, kEntryKindCount> kMeanings = {
    &kCacheTimes,    // cache
    &kStoreTimes,    // cookie
    &kHistoryTimes,  // history
    &kDailyTimes,    // history-daily
    &kWeeklyTimes,   // history-weekly
    &kStoreTimes,   &kStoreTimes, &kStoreTimes, &kStoreTimes, &kStoreTimes, &kStoreTimes, &kStoreTimes,
};
}  // namespace

const TimeMeaning& MeaningOf(EntryKind kind, RecordTimeField field) {
    return (*kMeanings[static_cast<std::size_t>(kind)])[static_cast<std::size_t>(field)];
}

}  // namespace tallowmark
