#pragma once
// The local time zone's offsets over the range a TimeValue can hold, gathered once per
// zone, so that converting hundreds of thousands of record times costs a table look-up
// instead of a C library call each (glibc re-reads the zone file on every call when TZ
// is unset). Near a change of offset we still defer to mktime, so results equal the C
// library's to the second.

#include <cstdint>
#include <ctime>
#include <memory>
#include <optional>
#include <vector>

namespace tallowmark {

class LocalTimeRules {
public:
    // The rules of the zone in force now (the TZ variable is checked on every call).
    static std::shared_ptr<const LocalTimeRules> Current();
    // The rules pinned by a LocalTimeBatch on this thread, else Current(). The reference
    // is good until the zone changes: use it at once, don't keep it.
    static const LocalTimeRules& Active();

    // Seconds east of UTC at the instant `utc`.
    std::int64_t OffsetAt(std::int64_t utc) const;
    // mktime with tm_isdst = -1: `localSeconds` are the local calendar fields counted as
    // if they were UTC seconds since 1970. Returns the UTC instant, or -1 on failure.
    std::int64_t FromLocal(std::int64_t localSeconds) const;

    // Local times over which FromLocal is a plain subtraction of one offset, because no
    // change of offset lies within two days of any of them.
    struct SteadyStretch {
        std::int64_t from, to;  // local seconds, `to` excluded
        std::int64_t offset;    // seconds east of UTC throughout
    };
    // The stretch around `localSeconds`; nullopt near a change of offset and for times
    // the table does not cover.
    std::optional<SteadyStretch> SteadyAround(std::int64_t localSeconds) const;

    LocalTimeRules();
    // Tells tables apart even when a new one takes the place of one that was freed.
    std::uint64_t Serial() const { return m_qwSerial; }

private:
    struct Span {
        std::int64_t start;   // first UTC second of the span
        std::int64_t offset;  // seconds east of UTC throughout the span
    };
    // The first span that starts after `utc`, for instants inside the table.
    std::size_t SpanAfter(std::int64_t utc) const;

    std::vector<Span> m_spans;                       // sorted by start; the first covers everything before it
    std::vector<std::uint32_t> m_firstSpanAfterDay;  // per day of the table, from its start
    std::int64_t m_tableEnd;                         // instants from here on are asked of the C library
    std::uint64_t m_qwSerial;
};

// Within its scope, the current thread keeps the zone it had at the start, without
// asking the environment again: for exports and sorts that convert many times at once.
class LocalTimeBatch {
public:
    LocalTimeBatch();
    // Pins `rules` taken on another thread, so that worker threads share one table.
    explicit LocalTimeBatch(std::shared_ptr<const LocalTimeRules> rules);
    ~LocalTimeBatch();
    LocalTimeBatch(const LocalTimeBatch&) = delete;
    LocalTimeBatch& operator=(const LocalTimeBatch&) = delete;

private:
    std::shared_ptr<const LocalTimeRules> m_rules;
    const LocalTimeRules* m_previous;
};

}  // namespace tallowmark
