#pragma once
// Record times: stored FileTime -> TimeValue -> text in local time.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tallowmark {

// 100-nanosecond intervals since 1601-01-01 00:00 UTC.
using FileTime = std::uint64_t;
// Seconds since 1970-01-01 00:00:00 UTC; 0 also stands for unconvertible and pre-1900
// times, -1 for a time outside the signed 32-bit range.
using TimeValue = std::int32_t;

inline constexpr const char* SHORT_TIME_FORMAT = "%d %b %Y, %H:%M";
inline constexpr const char* LONG_TIME_FORMAT = "%d %b %Y, %H:%M:%S";

// Shifts the stored UTC time by the offset from UTC in force now (not the one in
// force at the stored date), then reads the local calendar fields back with the
// local-time rules.
TimeValue ToTimeValue(FileTime fileTime);

// Formats in local time with English month names, whatever the C locale is.
// Negative values give the empty text. Supports %d %b %Y %H %M %S and %%.
std::string FormatTime(TimeValue value, const char* pattern);
void AppendFormattedTime(std::string& out, TimeValue value, const char* pattern);

// Pins "now" (seconds since 1970) for the present-offset rule, or releases it with
// nullopt. For tests that must not depend on the season they run in.
void OverridePresentTimeForTesting(std::optional<std::int64_t> now);
std::int64_t PresentTime();

// A record size as an unsigned decimal.
std::string SizeText(std::uint64_t size);

}  // namespace tallowmark
