#pragma once
// The rules of one time zone, named by the examiner rather than taken from the machine:
// an IANA name read from the zone database ("Europe/Amsterdam"), or a fixed offset
// ("+01:00"). A file written on another machine keeps some times as that machine's
// wall-clock time; these rules turn them into instants.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/Format.h"

namespace tallowmark {

class ZoneRules {
public:
    // A fixed offset "+HH:MM", "-HHMM" or "+HH" (east of UTC positive, as ISO 8601 writes
    // it), "Z" or "UTC"; else an IANA name looked up in `databaseFolders` in turn. Fails
    // with the reason in `why` for a name that is no zone (a name that climbs out of the
    // database with "..", or is absolute, is none).
    static std::optional<ZoneRules> Named(std::string_view name, const std::vector<std::string>& databaseFolders,
                                          std::string* why = nullptr);
    // The folders where this system keeps its zone database: $TZDIR first.
    static std::vector<std::string> DatabaseFolders();

    // A zone file's contents (TZif, any version); nullopt when they are no zone file.
    static std::optional<ZoneRules> FromZoneFile(ByteView bytes, std::string name);
    // A POSIX TZ rule such as "CET-1CEST,M3.5.0,M10.5.0/3"; nullopt when it is none.
    static std::optional<ZoneRules> FromPosixRule(std::string_view rule, std::string name);
    static ZoneRules FixedOffset(std::int32_t secondsEast, std::string name);

    const std::string& Name() const { return m_strName; }

    // Seconds east of UTC in force at the instant `utc` (seconds since 1970).
    std::int64_t OffsetAt(std::int64_t utc) const;
    // The instant of a wall-clock time, given as its calendar fields counted as if they
    // were UTC seconds since 1970. A time the clocks passed twice gives the first
    // instant; one they skipped is read with the offset in force before the change.
    std::int64_t InstantOfLocal(std::int64_t localSeconds) const;

    // The rule for a year beyond the file's list of changes, in POSIX TZ terms.
    struct Rule {
        struct Change {
            enum class Kind { JulianNoLeap, ZeroBasedDay, MonthWeekDay } kind = Kind::MonthWeekDay;
            int day = 0, week = 0, month = 0;  // as the kind uses them
            std::int64_t secondOfDay = 7200;   // local time of the change, may be negative or past 24 h
        };
        std::int32_t standardOffset = 0;  // seconds east
        std::optional<std::int32_t> daylightOffset;
        Change start, end;  // into and out of daylight time
    };

private:
    struct Transition {
        std::int64_t at;      // first UTC second of the new offset
        std::int32_t offset;  // seconds east from then on
    };

    std::string m_strName;
    std::int32_t m_initialOffset = 0;  // before the first transition
    std::vector<Transition> m_transitions;
    std::optional<Rule> m_rule;  // after the last transition
};

}  // namespace tallowmark
