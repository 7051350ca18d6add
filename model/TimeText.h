#pragma once
// Record times: stored FileTime -> TimeValue -> text in local time.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tallowmark {

// 100-nanosecond intervals since 1601-01-01 00:00 UTC.
using FileTime = std::uint64_t;
// Seconds since 1970-01-01 00:00:00 UTC; 0 also stands for unconvertible and pre-1900
// times, -1 for a time outside the signed 32-bit range.
using TimeValue = std::int32_t;

// The two ways a time is shown, as strftime would write them in the POSIX locale:
// "%d %b %Y, %H:%M" ("05 Mar 2008, 14:07") in the list and the CSV, and
// "%d %b %Y, %H:%M:%S" ("05 Mar 2008, 14:07:59") in the entry details.
enum class TimeFormat { SHORT_TIME_FORMAT, LONG_TIME_FORMAT };
using enum TimeFormat;

// Shifts the stored UTC time by the offset from UTC in force now (not the one in
// force at the stored date), then reads the local calendar fields back with the
// local-time rules.
TimeValue ToTimeValue(FileTime fileTime);

// Formats in local time with English month names, whatever the C locale is.
// Negative values give the empty text.
std::string FormatTime(TimeValue value, TimeFormat format);

// The texts of many stored times in SHORT_TIME_FORMAT, each equal to
// FormatTime(ToTimeValue(time), SHORT_TIME_FORMAT), for exports that write hundreds of
// thousands of them. Made for one batch, it keeps the zone and the present offset in
// force when it is made. Where the zone's offset is steady it goes from the stored time
// to the local calendar in one step, and takes the date from the texts of the days it has
// written before.
class ShortTimeTexts {
public:
    // "dd Mmm yyyy, hh:mm": a text is this long or empty; the date takes the first 13.
    static constexpr std::size_t kLength = 18;
    static constexpr std::size_t kDateLength = 13;

    ShortTimeTexts();
    // Writes the text of `fileTime` at `at` and returns its end.
    char* Write(char* at, FileTime fileTime);

private:
    // Whether `localSeconds` lies where the one-step way gives the same text as the
    // round trip; looks for the stretch around it when it is not the one kept.
    bool IsSteady(std::int64_t localSeconds) {
        return (localSeconds >= m_steadyFrom && localSeconds < m_steadyTo) || FindSteadyStretch(localSeconds);
    }
    bool FindSteadyStretch(std::int64_t localSeconds);

    std::int64_t m_presentOffset;
    std::int64_t m_steadyFrom = 0, m_steadyTo = 0;  // local seconds, `to` excluded
    // "dd Mmm yyyy, " of a day, found at its number modulo the count of texts kept.
    struct DateText {
        std::int64_t day = -1;
        char text[kDateLength];
    };
    static constexpr std::size_t kDatesKept = 4096;  // eleven years, more than most files span
    std::vector<DateText> m_dates;
    std::string m_roundTrip;
};

// The true instant a stored time names, in seconds since 1970 (cut to the second);
// nullopt for a zero time and for one past the end of the year 9999.
std::optional<std::int64_t> InstantOf(FileTime fileTime);
// The same in whole microseconds since 1970, as Timesketch's timestamps count.
std::optional<std::int64_t> MicrosecondsOf(FileTime fileTime);

// The instant as ISO 8601 with seconds: "2008-03-05T14:07:59Z", or with `localTime` the
// local time with the offset in force at that instant ("2008-03-05T15:07:59+01:00").
// Appends nothing and returns false when InstantOf has none or the local year falls
// outside 1601 to 9999.
bool AppendIsoTime(std::string& out, FileTime fileTime, bool localTime);

// The offset from UTC that the list's and the details' texts of stored times are shifted
// by: the one in force now, in seconds east.
std::int64_t ShownTimeOffset();
// An offset as people name a zone: "UTC", "UTC+1", "UTC-5", "UTC+5:30".
std::string UtcOffsetText(std::int64_t secondsEast);

// Pins "now" (seconds since 1970) for the present-offset rule, or releases it with
// nullopt. For tests that must not depend on the season they run in.
void OverridePresentTimeForTesting(std::optional<std::int64_t> now);
std::int64_t PresentTime();

// A record size as an unsigned decimal.
std::string SizeText(std::uint64_t size);
// A count of bytes with its thousands set apart, "491,520", where a reader compares two.
std::string GroupedDigits(std::uint64_t value);

}  // namespace tallowmark
