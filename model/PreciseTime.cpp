#include "model/PreciseTime.h"

#include <array>
#include <charconv>

#include "model/LocalTimeRules.h"

namespace tallowmark {

namespace {
constexpr std::int64_t kTicksPerSecond = 10'000'000;
constexpr std::int64_t kSecondsFrom1601To1970 = 11'644'473'600;
// The first tick of the year 10000.
constexpr std::int64_t kEndOf9999 = (253'402'300'800 + kSecondsFrom1601To1970) * kTicksPerSecond;

void AppendDigits(std::string& out, std::int64_t value, int width) {
    std::array<char, 24> digits{};
    const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), value).ptr;
    for (auto length = end - digits.data(); length < width; ++length) out += '0';
    out.append(digits.data(), end);
}
}  // namespace

bool AppendPreciseIsoTime(std::string& out, FileTime time, bool withFraction, IsoSuffix suffix,
                          std::int64_t offsetSeconds) {
    if (static_cast<std::int64_t>(time) < 0 || static_cast<std::int64_t>(time) >= kEndOf9999) return false;
    const auto ticks = static_cast<std::int64_t>(time);
    const CivilTime civil = CivilFromSeconds(ticks / kTicksPerSecond - kSecondsFrom1601To1970);
    AppendDigits(out, civil.year, 4);
    out += '-';
    AppendDigits(out, civil.month, 2);
    out += '-';
    AppendDigits(out, civil.day, 2);
    out += 'T';
    AppendDigits(out, civil.hour, 2);
    out += ':';
    AppendDigits(out, civil.minute, 2);
    out += ':';
    AppendDigits(out, civil.second, 2);
    if (withFraction) {
        out += '.';
        AppendDigits(out, ticks % kTicksPerSecond, 7);
    }
    switch (suffix) {
        case IsoSuffix::Utc: out += 'Z'; break;
        case IsoSuffix::Offset: {
            const std::int64_t magnitude = offsetSeconds < 0 ? -offsetSeconds : offsetSeconds;
            out += offsetSeconds < 0 ? '-' : '+';
            AppendDigits(out, magnitude / 3600, 2);
            out += ':';
            AppendDigits(out, magnitude / 60 % 60, 2);
            // Local mean time before standard zones can be off by seconds; say so rather than round.
            if (magnitude % 60 != 0) {
                out += ':';
                AppendDigits(out, magnitude % 60, 2);
            }
            break;
        }
        case IsoSuffix::None: break;
    }
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

}  // namespace tallowmark
