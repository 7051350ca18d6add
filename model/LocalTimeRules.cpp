#include "model/LocalTimeRules.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <limits>
#include <mutex>
#include <string>

#include "model/Calendar.h"
#include "platform/LocalCalendar.h"

namespace tallowmark {

namespace {
// Offsets from UTC never reach a day, so a local time lies within a day of its instant.
constexpr std::int64_t kMargin = 2 * kDay;
constexpr std::int64_t kTableStart = -2 * kMargin;
constexpr std::int64_t kTableEnd = std::numeric_limits<std::int32_t>::max() + 2 * kMargin;

std::int64_t SecondsOf(const std::tm& fields) {
    return DaysFromCivil(fields.tm_year + 1900LL, static_cast<unsigned>(fields.tm_mon + 1),
                         static_cast<unsigned>(fields.tm_mday)) *
               kDay +
           fields.tm_hour * 3600LL + fields.tm_min * 60LL + fields.tm_sec;
}

// Seconds east of UTC at `utc` as the C library sees it; `fallback` when it can't tell.
std::int64_t LibraryOffsetAt(std::int64_t utc, std::int64_t fallback) {
    std::tm fields{};
    if (!platform::LocalCalendar(static_cast<std::time_t>(utc), fields)) return fallback;
    return SecondsOf(fields) - utc;
}

std::tm FieldsOf(std::int64_t localSeconds) {
    const CivilTime civil = CivilFromSeconds(localSeconds);
    std::tm fields{};
    fields.tm_year = static_cast<int>(civil.year - 1900);
    fields.tm_mon = static_cast<int>(civil.month) - 1;
    fields.tm_mday = static_cast<int>(civil.day);
    fields.tm_hour = static_cast<int>(civil.hour);
    fields.tm_min = static_cast<int>(civil.minute);
    fields.tm_sec = static_cast<int>(civil.second);
    fields.tm_isdst = -1;
    return fields;
}
}  // namespace

LocalTimeRules::LocalTimeRules() : m_tableEnd(kTableEnd) {
    static std::atomic<std::uint64_t> s_serial{0};
    m_qwSerial = ++s_serial;
    // Probe once a day and pin every change of offset to its second. Zones change their
    // offset at most a few times a year, never twice within a day.
    std::int64_t previous = LibraryOffsetAt(kTableStart, 0);
    m_spans.push_back({std::numeric_limits<std::int64_t>::min(), previous});
    for (std::int64_t probe = kTableStart + kDay; probe < kTableEnd + kDay; probe += kDay) {
        const std::int64_t offset = LibraryOffsetAt(probe, previous);
        if (offset == previous) continue;
        std::int64_t before = probe - kDay, after = probe;  // offset(before) == previous, offset(after) != previous
        while (after - before > 1) {
            const std::int64_t middle = before + (after - before) / 2;
            if (LibraryOffsetAt(middle, previous) == previous) before = middle;
            else
                after = middle;
        }
        m_spans.push_back({after, LibraryOffsetAt(after, offset)});
        // Two changes within one day: the probe's own offset starts a span of its own.
        if (m_spans.back().offset != offset) m_spans.push_back({probe, offset});
        previous = offset;
    }
    // For each day of the table, the first span that starts after the day begins: a
    // look-up then steps over at most the changes of that one day.
    m_firstSpanAfterDay.resize(static_cast<std::size_t>((m_tableEnd - kTableStart) / kDay + 1));
    std::size_t span = 0;
    for (std::size_t day = 0; day < m_firstSpanAfterDay.size(); ++day) {
        const std::int64_t dayStart = kTableStart + static_cast<std::int64_t>(day) * kDay;
        while (span < m_spans.size() && m_spans[span].start <= dayStart) ++span;
        m_firstSpanAfterDay[day] = static_cast<std::uint32_t>(span);
    }
}

namespace {
thread_local const LocalTimeRules* t_pinnedRules = nullptr;
}  // namespace

LocalTimeBatch::LocalTimeBatch() : LocalTimeBatch(LocalTimeRules::Current()) {}

LocalTimeBatch::LocalTimeBatch(std::shared_ptr<const LocalTimeRules> rules)
    : m_rules(std::move(rules)), m_previous(t_pinnedRules) {
    t_pinnedRules = m_rules.get();
}

LocalTimeBatch::~LocalTimeBatch() { t_pinnedRules = m_previous; }

const LocalTimeRules& LocalTimeRules::Active() { return t_pinnedRules ? *t_pinnedRules : *Current(); }

std::shared_ptr<const LocalTimeRules> LocalTimeRules::Current() {
    // One table per thread and zone: the TZ variable is compared on every call so that a
    // change of zone (and tzset) takes effect at once.
    thread_local bool zoneNamed = false;
    thread_local std::string zoneName;
    thread_local std::shared_ptr<const LocalTimeRules> rules;
    const char* tz = std::getenv("TZ");
    const bool sameZone = rules && (tz ? zoneNamed && zoneName == tz : !zoneNamed);
    if (!sameZone) {
        static std::mutex tzsetLock;  // tzset is not reentrant everywhere
        std::lock_guard<std::mutex> guard(tzsetLock);
        platform::ReloadTimeZone();
        rules = std::make_shared<const LocalTimeRules>();
        zoneNamed = tz != nullptr;
        zoneName = tz ? tz : "";
    }
    return rules;
}

std::int64_t LocalTimeRules::OffsetAt(std::int64_t utc) const {
    // Outside the table (dates before 1970 or after 2038) the C library knows the rules.
    if (utc >= m_tableEnd) return LibraryOffsetAt(utc, m_spans.back().offset);
    if (utc < kTableStart) return LibraryOffsetAt(utc, m_spans.front().offset);
    return m_spans[SpanAfter(utc) - 1].offset;
}

std::size_t LocalTimeRules::SpanAfter(std::int64_t utc) const {
    std::size_t span = m_firstSpanAfterDay[static_cast<std::size_t>((utc - kTableStart) / kDay)];
    while (span < m_spans.size() && m_spans[span].start <= utc) ++span;
    return span;
}

std::int64_t LocalTimeRules::FromLocal(std::int64_t localSeconds) const {
    if (const auto steady = SteadyAround(localSeconds)) return localSeconds - steady->offset;
    std::tm fields = FieldsOf(localSeconds);
    return static_cast<std::int64_t>(std::mktime(&fields));
}

std::optional<LocalTimeRules::SteadyStretch> LocalTimeRules::SteadyAround(std::int64_t localSeconds) const {
    const std::int64_t low = localSeconds - kMargin, high = localSeconds + kMargin;
    if (low < kTableStart || high >= m_tableEnd) return std::nullopt;
    const std::size_t next = SpanAfter(low);
    const bool changeNearby = next < m_spans.size() && m_spans[next].start <= high;
    if (changeNearby) return std::nullopt;
    const Span& span = m_spans[next - 1];
    const std::int64_t nextStart = next < m_spans.size() ? std::min(m_spans[next].start, m_tableEnd) : m_tableEnd;
    return SteadyStretch{std::max(span.start, kTableStart) + kMargin, nextStart - kMargin, span.offset};
}

}  // namespace tallowmark
