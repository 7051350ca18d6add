#include "model/TimeText.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <limits>

#include "model/Calendar.h"
#include "model/LocalTimeRules.h"
#include "model/PreciseTime.h"

namespace tallowmark {

namespace {
constexpr std::int64_t kTicksPerSecond = 10'000'000;
constexpr std::int64_t kSecondsFrom1601To1970 = 11'644'473'600;
constexpr std::int64_t kTimeValueMax = std::numeric_limits<TimeValue>::max();

std::optional<std::int64_t> g_presentTimeOverride;

// The offset in force now, asked of the rules once a second rather than once a time.
std::int64_t PresentOffset(const LocalTimeRules& rules) {
    thread_local std::uint64_t t_serial = 0;
    thread_local std::int64_t t_now = 0, t_offset = 0;
    const std::int64_t now = PresentTime();
    if (t_serial != rules.Serial() || t_now != now) {
        t_serial = rules.Serial();
        t_now = now;
        t_offset = rules.OffsetAt(now);
    }
    return t_offset;
}

void WriteTwoDigits(char* at, unsigned value) {
    at[0] = static_cast<char>('0' + value / 10);
    at[1] = static_cast<char>('0' + value % 10);
}

// LONG_TIME_FORMAT's "dd Mmm yyyy, hh:mm:ss" over the 21 chars at `text`, for years
// 1000 to 9999; SHORT_TIME_FORMAT is its first 18.
constexpr std::size_t kClockPosition = ShortTimeTexts::kDateLength;
void WriteListFields(char* text, const CivilTime& civil) {
    std::memcpy(text, "dd Mmm yyyy, hh:mm:ss", 21);
    WriteTwoDigits(text, civil.day);
    std::memcpy(text + 3, kMonthAbbreviations[civil.month - 1].data(), 3);
    WriteTwoDigits(text + 7, static_cast<unsigned>(civil.year / 100));
    WriteTwoDigits(text + 9, static_cast<unsigned>(civil.year % 100));
    WriteTwoDigits(text + kClockPosition, civil.hour);
    WriteTwoDigits(text + kClockPosition + 3, civil.minute);
    WriteTwoDigits(text + kClockPosition + 6, civil.second);
}

// A TimeValue's local time: 32 bits of seconds from 1970, shifted by less than a day, lie
// between the years 1969 and 2038, whose numbers have the four digits the patterns write.
void AppendFormattedTime(std::string& out, TimeValue value, TimeFormat format) {
    if (value < 0) return;
    const LocalTimeRules& rules = LocalTimeRules::Active();
    char text[21];
    WriteListFields(text, CivilFromSeconds(value + rules.OffsetAt(value)));
    out.append(text, format == LONG_TIME_FORMAT ? 21 : ShortTimeTexts::kLength);
}

// 1900-01-01 00:00:00 counted in seconds from 1970.
constexpr std::int64_t kFirstSecondOf1900 = -2'208'988'800;
// 9999-12-31 23:59:59, the last second ISO 8601 writes with four year digits.
constexpr std::int64_t kLastSecondOf9999 = 253'402'300'799;
}  // namespace

void OverridePresentTimeForTesting(std::optional<std::int64_t> now) { g_presentTimeOverride = now; }

std::int64_t PresentTime() {
    return g_presentTimeOverride ? *g_presentTimeOverride : static_cast<std::int64_t>(std::time(nullptr));
}

TimeValue ToTimeValue(FileTime fileTime) {
    // Step 1: shift by the present offset; a value the system could not represent fails.
    if (fileTime > static_cast<FileTime>(std::numeric_limits<std::int64_t>::max())) return 0;
    const LocalTimeRules& rules = LocalTimeRules::Active();
    const std::int64_t offsetTicks = PresentOffset(rules) * kTicksPerSecond;
    auto local = static_cast<std::int64_t>(fileTime);
    if (offsetTicks > 0 && local > std::numeric_limits<std::int64_t>::max() - offsetTicks) return 0;
    local += offsetTicks;
    if (local < 0) return 0;

    // Steps 2 to 4: the local calendar fields; years before 1900 count as 0.
    const std::int64_t localSeconds = local / kTicksPerSecond - kSecondsFrom1601To1970;
    if (localSeconds < kFirstSecondOf1900) return 0;

    // Step 5: back to an instant by the local-time rules, kept only inside 32 bits.
    if (localSeconds < -kDay || localSeconds > kTimeValueMax + kDay) return -1;
    const std::int64_t instant = rules.FromLocal(localSeconds);
    if (instant < 0 || instant > kTimeValueMax) return -1;
    return static_cast<TimeValue>(instant);
}

std::string FormatTime(TimeValue value, TimeFormat format) {
    std::string out;
    AppendFormattedTime(out, value, format);
    return out;
}

ShortTimeTexts::ShortTimeTexts()
    : m_presentOffset(LocalTimeRules::Active().OffsetAt(PresentTime())), m_dates(kDatesKept) {}

char* ShortTimeTexts::Write(char* at, FileTime fileTime) {
    // ToTimeValue's local seconds: the stored time shifted by the present offset.
    const std::int64_t localSeconds =
        static_cast<std::int64_t>(fileTime / kTicksPerSecond) - kSecondsFrom1601To1970 + m_presentOffset;
    if (!IsSteady(localSeconds)) {
        // Near a change of offset, or out of range: the round trip decides.
        m_roundTrip.clear();
        AppendFormattedTime(m_roundTrip, ToTimeValue(fileTime), SHORT_TIME_FORMAT);
        // The instant fits 32 bits, so its year has four digits and the text is never longer.
        const std::size_t length = std::min(m_roundTrip.size(), kLength);
        std::memcpy(at, m_roundTrip.data(), length);
        return at + length;
    }
    // Days counted from 1969-12-31, where steady stretches begin at the earliest.
    const auto sinceDayBefore1970 = static_cast<std::uint64_t>(localSeconds + kDay);
    const auto day = static_cast<std::int64_t>(sinceDayBefore1970 / kDay);
    DateText& date = m_dates[static_cast<std::size_t>(day) % kDatesKept];
    if (date.day != day) {
        char fields[21];
        WriteListFields(fields, CivilFromSeconds(localSeconds));
        std::memcpy(date.text, fields, kDateLength);
        date.day = day;
    }
    std::memcpy(at, date.text, kDateLength);
    const auto secondOfDay = static_cast<unsigned>(sinceDayBefore1970 % kDay);
    WriteTwoDigits(at + kClockPosition, secondOfDay / 3600);
    at[kClockPosition + 2] = ':';
    WriteTwoDigits(at + kClockPosition + 3, secondOfDay / 60 % 60);
    return at + kLength;
}

bool ShortTimeTexts::FindSteadyStretch(std::int64_t localSeconds) {
    const auto steady = LocalTimeRules::Active().SteadyAround(localSeconds);
    if (!steady) return false;
    // There the instant is the local time less the offset, and the text that instant's local
    // time, the same local time again. ToTimeValue keeps instants of 0 to kTimeValueMax only.
    m_steadyFrom = std::max({steady->from, steady->offset, -kDay});
    m_steadyTo = std::min({steady->to, kTimeValueMax + steady->offset + 1, kTimeValueMax + kDay + 1});
    return localSeconds >= m_steadyFrom && localSeconds < m_steadyTo;
}

std::optional<std::int64_t> InstantOf(FileTime fileTime) {
    if (fileTime == 0 || fileTime / kTicksPerSecond > static_cast<FileTime>(kLastSecondOf9999 + kSecondsFrom1601To1970))
        return std::nullopt;
    return static_cast<std::int64_t>(fileTime / kTicksPerSecond) - kSecondsFrom1601To1970;
}

std::optional<std::int64_t> MicrosecondsOf(FileTime fileTime) {
    if (!InstantOf(fileTime)) return std::nullopt;
    return static_cast<std::int64_t>(fileTime / 10) - kSecondsFrom1601To1970 * 1'000'000;
}

bool AppendIsoTime(std::string& out, FileTime fileTime, bool localTime) {
    if (!InstantOf(fileTime)) return false;
    return AppendPreciseInstant(out, fileTime - fileTime % kTicksPerSecond, false, localTime);
}

std::int64_t ShownTimeOffset() { return PresentOffset(LocalTimeRules::Active()); }

std::string UtcOffsetText(std::int64_t secondsEast) {
    if (secondsEast == 0) return "UTC";
    const std::int64_t minutes = (secondsEast < 0 ? -secondsEast : secondsEast) / 60;
    std::string text = std::string("UTC") + (secondsEast < 0 ? "-" : "+") + std::to_string(minutes / 60);
    if (minutes % 60) text += (minutes % 60 < 10 ? ":0" : ":") + std::to_string(minutes % 60);
    return text;
}

std::string SizeText(std::uint64_t size) { return std::to_string(size); }

std::string GroupedDigits(std::uint64_t value) {
    std::string digits = std::to_string(value);
    for (std::size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, 1, ',');
    return digits;
}

}  // namespace tallowmark
