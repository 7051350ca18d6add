#include "model/PreciseTime.h"

#include "model/Calendar.h"
#include "model/LocalTimeRules.h"

namespace tallowmark {

namespace {
constexpr std::int64_t kTicksPerSecond = 10'000'000;
constexpr std::int64_t kSecondsFrom1601To1970 = 11'644'473'600;
// The first tick of the year 10000.
constexpr std::int64_t kEndOf9999 = (253'402'300'800 + kSecondsFrom1601To1970) * kTicksPerSecond;

// Writes `value` as exactly `width` digits at `at`, and returns the end.
char* PutDigits(char* at, std::int64_t value, int width) {
    for (int i = width - 1; i >= 0; --i, value /= 10) at[i] = static_cast<char>('0' + value % 10);
    return at + width;
}
}  // namespace

bool AppendPreciseIsoTime(std::string& out, FileTime time, bool withFraction, IsoSuffix suffix,
                          std::int64_t offsetSeconds) {
    if (static_cast<std::int64_t>(time) < 0 || static_cast<std::int64_t>(time) >= kEndOf9999) return false;
    const auto ticks = static_cast<std::int64_t>(time);
    const CivilTime civil = CivilFromSeconds(ticks / kTicksPerSecond - kSecondsFrom1601To1970);
    // Timelines write millions of these: made in place, appended once.
    char text[40];
    char* at = PutDigits(text, civil.year, 4);
    *at++ = '-';
    at = PutDigits(at, civil.month, 2);
    *at++ = '-';
    at = PutDigits(at, civil.day, 2);
    *at++ = 'T';
    at = PutDigits(at, civil.hour, 2);
    *at++ = ':';
    at = PutDigits(at, civil.minute, 2);
    *at++ = ':';
    at = PutDigits(at, civil.second, 2);
    if (withFraction) {
        *at++ = '.';
        at = PutDigits(at, ticks % kTicksPerSecond, 7);
    }
    switch (suffix) {
        case IsoSuffix::Utc: *at++ = 'Z'; break;
        case IsoSuffix::Offset: {
            const std::int64_t magnitude = offsetSeconds < 0 ? -offsetSeconds : offsetSeconds;
            *at++ = offsetSeconds < 0 ? '-' : '+';
            at = PutDigits(at, magnitude / 3600 % 100, 2);
            *at++ = ':';
            at = PutDigits(at, magnitude / 60 % 60, 2);
            // Local mean time before standard zones can be off by seconds; say so rather than round.
            if (magnitude % 60 != 0) {
                *at++ = ':';
                at = PutDigits(at, magnitude % 60, 2);
            }
            break;
        }
        case IsoSuffix::None: break;
    }
    out.append(text, at);
    return true;
}

bool AppendPreciseInstant(std::string& out, FileTime instant, bool withFraction, bool localTime) {
    if (!localTime) return AppendPreciseIsoTime(out, instant, withFraction, IsoSuffix::Utc);
    const std::int64_t seconds = static_cast<std::int64_t>(instant / kTicksPerSecond) - kSecondsFrom1601To1970;
    const std::int64_t offset = LocalTimeRules::Active().OffsetAt(seconds);
    const std::optional<FileTime> shown = ShiftedBy(instant, offset);
    return shown && AppendPreciseIsoTime(out, *shown, withFraction, IsoSuffix::Offset, offset);
}

std::optional<FileTime> ShiftedBy(FileTime instant, std::int64_t offsetSeconds) {
    if (static_cast<std::int64_t>(instant) < 0) return std::nullopt;
    const std::int64_t shifted = static_cast<std::int64_t>(instant) + offsetSeconds * kTicksPerSecond;
    if (shifted < 0 || shifted >= kEndOf9999) return std::nullopt;
    return static_cast<FileTime>(shifted);
}

std::optional<FileTime> InstantOfWallClock(FileTime wallClock, const ZoneRules& zone) {
    if (static_cast<std::int64_t>(wallClock) < 0 || static_cast<std::int64_t>(wallClock) >= kEndOf9999)
        return std::nullopt;
    const auto ticks = static_cast<std::int64_t>(wallClock);
    const std::int64_t wallSeconds = ticks / kTicksPerSecond - kSecondsFrom1601To1970;
    const std::int64_t instant = zone.InstantOfLocal(wallSeconds);
    return ShiftedBy(wallClock, instant - wallSeconds);
}

std::optional<FileTime> FileTimeOfUnixTime(std::int64_t seconds, std::uint64_t nanoseconds) {
    if (seconds == 0 && nanoseconds == 0) return std::nullopt;
    const std::int64_t ticks = seconds * kTicksPerSecond + static_cast<std::int64_t>(nanoseconds / 100);
    const std::int64_t from1601 = ticks + kSecondsFrom1601To1970 * kTicksPerSecond;
    if (from1601 < 0) return std::nullopt;
    return static_cast<FileTime>(from1601);
}

}  // namespace tallowmark
