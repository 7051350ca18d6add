#pragma once
// Stored times at their full precision, as the timeline writes them: FileTimes to the
// 100 ns (seven fractional digits), FAT date-times to the second; and a time on another
// machine's wall clock turned into the instant it names once its zone is known.

#include <cstdint>
#include <optional>
#include <string>

#include "model/TimeText.h"
#include "model/ZoneRules.h"

namespace tallowmark {

enum class IsoSuffix : std::uint8_t {
    Utc,     // "Z"
    Offset,  // "+01:00", the offset given
    None,    // a wall-clock time of no known zone: no suffix at all
};

// `time` counts 100-ns ticks since 1601 on the clock to be shown (an instant, or one
// already shifted by `offsetSeconds`). Appends "2013-03-10T09:38:51.6190000Z", without
// the fraction when `withFraction` is false. Appends nothing and returns false for a
// year outside 1601 to 9999.
bool AppendPreciseIsoTime(std::string& out, FileTime time, bool withFraction, IsoSuffix suffix,
                          std::int64_t offsetSeconds = 0);

// The instant `time` as AppendPreciseIsoTime writes it: in UTC, or with `localTime` in
// local time with the offset in force at that instant. False as it is.
bool AppendPreciseInstant(std::string& out, FileTime instant, bool withFraction, bool localTime);

// The instant a wall-clock time of `zone` names, to the tick; nullopt when it lies
// outside the years a FileTime can hold.
std::optional<FileTime> InstantOfWallClock(FileTime wallClock, const ZoneRules& zone);

// `instant` shifted by `offsetSeconds`; nullopt when that leaves the years 1601 to 9999.
std::optional<FileTime> ShiftedBy(FileTime instant, std::int64_t offsetSeconds);

// The instant `seconds` and `nanoseconds` past 1970 name, as a file system's times are
// kept; nullopt for 0 (no time kept) and for one before 1601.
std::optional<FileTime> FileTimeOfUnixTime(std::int64_t seconds, std::uint64_t nanoseconds);

}  // namespace tallowmark
