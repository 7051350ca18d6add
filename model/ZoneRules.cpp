#include "model/ZoneRules.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "model/Calendar.h"
#include "platform/ReadOnlyFile.h"

namespace tallowmark {

namespace {
constexpr std::size_t kLongestName = 255;
constexpr std::size_t kLargestZoneFile = 1 << 20;  // real ones are a few kilobytes

std::uint64_t ReadBigEndian(ByteView bytes, std::size_t offset, std::size_t width) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < width; ++i) value = value << 8 | (offset + i < bytes.size() ? bytes[offset + i] : 0);
    return value;
}

// "[+-]hh[:mm[:ss]]" at the front of `text`, in seconds; hours up to 167 as POSIX
// extensions allow. Consumes what it reads.
std::optional<std::int64_t> TakeClock(std::string_view& text, bool allowSign) {
    int sign = 1;
    if (allowSign && !text.empty() && (text.front() == '+' || text.front() == '-')) {
        sign = text.front() == '-' ? -1 : 1;
        text.remove_prefix(1);
    }
    std::int64_t total = 0;
    for (int part = 0; part < 3; ++part) {
        if (part > 0) {
            if (text.empty() || text.front() != ':') break;
            text.remove_prefix(1);
        }
        std::size_t digits = 0;
        std::int64_t value = 0;
        while (digits < text.size() && digits < 3 && text[digits] >= '0' && text[digits] <= '9')
            value = value * 10 + (text[digits++] - '0');
        if (digits == 0 || (part > 0 && (digits != 2 || value > 59)) || (part == 0 && value > 167)) return std::nullopt;
        text.remove_prefix(digits);
        total += value * (part == 0 ? 3600 : part == 1 ? 60 : 1);
    }
    return sign * total;
}

// A zone abbreviation: three or more letters, or anything between < and >.
bool TakeAbbreviation(std::string_view& text) {
    if (!text.empty() && text.front() == '<') {
        const std::size_t close = text.find('>');
        if (close == std::string_view::npos || close < 4) return false;
        text.remove_prefix(close + 1);
        return true;
    }
    std::size_t letters = 0;
    while (letters < text.size() &&
           ((text[letters] >= 'A' && text[letters] <= 'Z') || (text[letters] >= 'a' && text[letters] <= 'z')))
        ++letters;
    if (letters < 3) return false;
    text.remove_prefix(letters);
    return true;
}

std::optional<int> TakeNumber(std::string_view& text, int low, int high) {
    std::size_t digits = 0;
    int value = 0;
    while (digits < text.size() && digits < 3 && text[digits] >= '0' && text[digits] <= '9')
        value = value * 10 + (text[digits++] - '0');
    if (digits == 0 || value < low || value > high) return std::nullopt;
    text.remove_prefix(digits);
    return value;
}

// ",Jn", ",n" or ",Mm.w.d", each with an optional "/time".
std::optional<ZoneRules::Rule::Change> TakeChange(std::string_view& text) {
    using Change = ZoneRules::Rule::Change;
    if (text.empty() || text.front() != ',') return std::nullopt;
    text.remove_prefix(1);
    Change change;
    if (!text.empty() && text.front() == 'J') {
        text.remove_prefix(1);
        const auto day = TakeNumber(text, 1, 365);
        if (!day) return std::nullopt;
        change.kind = Change::Kind::JulianNoLeap;
        change.day = *day;
    } else if (!text.empty() && text.front() == 'M') {
        text.remove_prefix(1);
        const auto month = TakeNumber(text, 1, 12);
        if (!month || text.empty() || text.front() != '.') return std::nullopt;
        text.remove_prefix(1);
        const auto week = TakeNumber(text, 1, 5);
        if (!week || text.empty() || text.front() != '.') return std::nullopt;
        text.remove_prefix(1);
        const auto weekday = TakeNumber(text, 0, 6);
        if (!weekday) return std::nullopt;
        change.kind = Change::Kind::MonthWeekDay;
        change.month = *month;
        change.week = *week;
        change.day = *weekday;
    } else {
        const auto day = TakeNumber(text, 0, 365);
        if (!day) return std::nullopt;
        change.kind = Change::Kind::ZeroBasedDay;
        change.day = *day;
    }
    if (!text.empty() && text.front() == '/') {
        text.remove_prefix(1);
        const auto time = TakeClock(text, true);
        if (!time) return std::nullopt;
        change.secondOfDay = *time;
    }
    return change;
}

bool IsLeapYear(std::int64_t year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

// Days since 1970 of the day a change falls on in `year`.
std::int64_t DayOfChange(const ZoneRules::Rule::Change& change, std::int64_t year) {
    using Kind = ZoneRules::Rule::Change::Kind;
    const std::int64_t newYear = DaysFromCivil(year, 1, 1);
    switch (change.kind) {
        case Kind::JulianNoLeap:
            // Day 60 is 1 March in every year: February 29 is never counted.
            return newYear + change.day - 1 + (IsLeapYear(year) && change.day >= 60 ? 1 : 0);
        case Kind::ZeroBasedDay: return newYear + change.day;
        case Kind::MonthWeekDay: break;
    }
    const std::int64_t first = DaysFromCivil(year, static_cast<unsigned>(change.month), 1);
    const auto firstWeekday = static_cast<int>(WeekdayOf(first));
    std::int64_t day = first + (change.day - firstWeekday + 7) % 7 + 7 * (change.week - 1);
    const unsigned nextMonth = change.month == 12 ? 1 : static_cast<unsigned>(change.month + 1);
    const std::int64_t monthEnd = DaysFromCivil(change.month == 12 ? year + 1 : year, nextMonth, 1);
    while (day >= monthEnd) day -= 7;  // "week 5" is the last such weekday of the month
    return day;
}

std::int64_t YearOf(std::int64_t localSeconds) { return CivilFromSeconds(localSeconds).year; }

std::int64_t RuleOffsetAt(const ZoneRules::Rule& rule, std::int64_t utc) {
    if (!rule.daylightOffset) return rule.standardOffset;
    const std::int64_t year = YearOf(utc + rule.standardOffset);
    const std::int64_t start = DayOfChange(rule.start, year) * kDay + rule.start.secondOfDay - rule.standardOffset;
    const std::int64_t end = DayOfChange(rule.end, year) * kDay + rule.end.secondOfDay - *rule.daylightOffset;
    const bool daylight = start < end ? utc >= start && utc < end : !(utc >= end && utc < start);
    return daylight ? *rule.daylightOffset : rule.standardOffset;
}

std::optional<std::int32_t> ParseFixedOffset(std::string_view name) {
    if (name == "Z" || name == "UTC") return 0;
    if (name.size() < 3 || (name.front() != '+' && name.front() != '-')) return std::nullopt;
    const int sign = name.front() == '-' ? -1 : 1;
    std::string_view digits = name.substr(1);
    auto two = [&digits](int high) -> std::optional<int> {
        if (digits.size() < 2 || digits[0] < '0' || digits[0] > '9' || digits[1] < '0' || digits[1] > '9')
            return std::nullopt;
        const int value = (digits[0] - '0') * 10 + (digits[1] - '0');
        digits.remove_prefix(2);
        return value <= high ? std::optional<int>(value) : std::nullopt;
    };
    const auto hours = two(23);
    if (!hours) return std::nullopt;
    int minutes = 0;
    if (!digits.empty()) {
        if (digits.front() == ':') digits.remove_prefix(1);
        const auto parsed = two(59);
        if (!parsed || !digits.empty()) return std::nullopt;
        minutes = *parsed;
    }
    return sign * (*hours * 3600 + minutes * 60);
}

// A name of the zone database: parts of letters, digits and "._+-", never "." or "..".
bool IsDatabaseName(std::string_view name) {
    if (name.empty() || name.size() > kLongestName || name.front() == '/') return false;
    std::size_t start = 0;
    while (start <= name.size()) {
        const std::size_t end = std::min(name.find('/', start), name.size());
        const std::string_view part = name.substr(start, end - start);
        if (part.empty() || part == "." || part == "..") return false;
        for (char c : part)
            if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '_' ||
                  c == '+' || c == '-'))
                return false;
        start = end + 1;
    }
    return true;
}
}  // namespace

std::vector<std::string> ZoneRules::DatabaseFolders() {
    std::vector<std::string> folders;
    if (const char* tzdir = std::getenv("TZDIR"); tzdir && *tzdir) folders.emplace_back(tzdir);
#ifndef _WIN32
    for (const char* folder : {"/usr/share/zoneinfo", "/usr/lib/zoneinfo", "/usr/share/lib/zoneinfo"})
        folders.emplace_back(folder);
#endif
    return folders;
}

ZoneRules ZoneRules::FixedOffset(std::int32_t secondsEast, std::string name) {
    ZoneRules rules;
    rules.m_strName = std::move(name);
    rules.m_initialOffset = secondsEast;
    return rules;
}

std::optional<ZoneRules> ZoneRules::Named(std::string_view name, const std::vector<std::string>& databaseFolders,
                                          std::string* why) {
    auto fail = [why](std::string reason) -> std::optional<ZoneRules> {
        if (why) *why = std::move(reason);
        return std::nullopt;
    };
    if (const auto offset = ParseFixedOffset(name)) return FixedOffset(*offset, std::string(name));
    if (!IsDatabaseName(name))
        return fail("\"" + std::string(name) +
                    "\" is neither a zone name such as Europe/Amsterdam nor an offset such as +01:00");
    if (databaseFolders.empty())
        return fail("no time zone database here to look up " + std::string(name) + ": give an offset such as +01:00");
    for (const std::string& folder : databaseFolders) {
        const platform::FileContents contents = platform::ReadWholeFile(folder + "/" + std::string(name));
        if (contents.error != platform::FileError::None || contents.size > kLargestZoneFile) continue;
        if (auto rules = FromZoneFile(ByteView(contents.bytes.get(), contents.size), std::string(name))) return rules;
        return fail(std::string(name) + " in " + folder + " is not a time zone file");
    }
    return fail("no time zone named " + std::string(name));
}

std::optional<ZoneRules> ZoneRules::FromZoneFile(ByteView bytes, std::string name) {
    constexpr std::size_t kHeader = 44;
    if (bytes.size() < kHeader || std::memcmp(bytes.data(), "TZif", 4) != 0) return std::nullopt;
    struct Counts {
        std::uint64_t isut, isstd, leap, time, type, chars;
    };
    auto countsAt = [&](std::size_t at) {
        return Counts{ReadBigEndian(bytes, at + 20, 4), ReadBigEndian(bytes, at + 24, 4),
                      ReadBigEndian(bytes, at + 28, 4), ReadBigEndian(bytes, at + 32, 4),
                      ReadBigEndian(bytes, at + 36, 4), ReadBigEndian(bytes, at + 40, 4)};
    };
    auto blockSize = [](const Counts& c, std::uint64_t timeWidth) {
        return c.time * timeWidth + c.time + c.type * 6 + c.chars + c.leap * (timeWidth + 4) + c.isstd + c.isut;
    };
    // Version 2 and later repeat the data with 64-bit times after the first block, then
    // end with the rule for the years after the list.
    std::size_t start = 0;
    std::uint64_t timeWidth = 4;
    Counts counts = countsAt(0);
    if (bytes[4] >= '2') {
        const std::uint64_t second = kHeader + blockSize(counts, 4);
        if (second + kHeader > bytes.size() || std::memcmp(bytes.data() + second, "TZif", 4) != 0) return std::nullopt;
        start = static_cast<std::size_t>(second);
        counts = countsAt(start);
        timeWidth = 8;
    }
    const std::uint64_t data = start + kHeader;
    if (counts.type == 0 || counts.type > 256 || counts.time > bytes.size() ||
        data + blockSize(counts, timeWidth) > bytes.size())
        return std::nullopt;
    const std::uint64_t indexes = data + counts.time * timeWidth;
    const std::uint64_t types = indexes + counts.time;
    auto offsetOfType = [&](std::uint64_t type) {
        return static_cast<std::int32_t>(
            static_cast<std::uint32_t>(ReadBigEndian(bytes, static_cast<std::size_t>(types + 6 * type), 4)));
    };

    ZoneRules rules;
    rules.m_strName = std::move(name);
    rules.m_initialOffset = offsetOfType(0);
    for (std::uint64_t i = 0; i < counts.time; ++i) {
        const std::uint64_t raw = ReadBigEndian(bytes, static_cast<std::size_t>(data + i * timeWidth), timeWidth);
        const std::int64_t at = timeWidth == 8 ? static_cast<std::int64_t>(raw)
                                               : static_cast<std::int32_t>(static_cast<std::uint32_t>(raw));
        const std::uint64_t type = bytes[static_cast<std::size_t>(indexes + i)];
        if (type >= counts.type) return std::nullopt;
        if (!rules.m_transitions.empty() && at <= rules.m_transitions.back().at) continue;  // out of order: skipped
        rules.m_transitions.push_back({at, offsetOfType(type)});
    }
    if (timeWidth == 8) {
        const std::size_t footer = static_cast<std::size_t>(data + blockSize(counts, timeWidth));
        if (footer < bytes.size() && bytes[footer] == '\n') {
            const auto* text = reinterpret_cast<const char*>(bytes.data()) + footer + 1;
            const std::string_view rest(text, bytes.size() - footer - 1);
            const std::string_view rule = rest.substr(0, rest.find('\n'));
            if (!rule.empty())
                if (auto parsed = FromPosixRule(rule, rules.m_strName)) rules.m_rule = parsed->m_rule;
        }
    }
    return rules;
}

std::optional<ZoneRules> ZoneRules::FromPosixRule(std::string_view text, std::string name) {
    Rule rule;
    if (!TakeAbbreviation(text)) return std::nullopt;
    const auto standard = TakeClock(text, true);
    if (!standard) return std::nullopt;
    rule.standardOffset = static_cast<std::int32_t>(-*standard);  // POSIX counts west of UTC
    if (!text.empty()) {
        if (!TakeAbbreviation(text)) return std::nullopt;
        rule.daylightOffset = rule.standardOffset + 3600;
        if (!text.empty() && text.front() != ',') {
            const auto daylight = TakeClock(text, true);
            if (!daylight) return std::nullopt;
            rule.daylightOffset = static_cast<std::int32_t>(-*daylight);
        }
        if (text.empty()) {
            // No dates given: the changes of the United States, as the C library assumes.
            text = ",M3.2.0,M11.1.0";
        }
        const auto start = TakeChange(text);
        const auto end = start ? TakeChange(text) : std::nullopt;
        if (!start || !end || !text.empty()) return std::nullopt;
        rule.start = *start;
        rule.end = *end;
    }
    ZoneRules rules;
    rules.m_strName = std::move(name);
    rules.m_initialOffset = rule.standardOffset;
    rules.m_rule = rule;
    return rules;
}

std::int64_t ZoneRules::OffsetAt(std::int64_t utc) const {
    const auto after = std::upper_bound(m_transitions.begin(), m_transitions.end(), utc,
                                        [](std::int64_t at, const Transition& t) { return at < t.at; });
    if (after == m_transitions.end() && m_rule) return RuleOffsetAt(*m_rule, utc);
    if (after == m_transitions.begin()) return m_initialOffset;
    return std::prev(after)->offset;
}

std::int64_t ZoneRules::InstantOfLocal(std::int64_t localSeconds) const {
    // The offsets in force within two days either side: a wall-clock time belongs to one
    // of them, unless the clocks skipped it.
    std::vector<std::int64_t> offsets;
    for (std::int64_t step = -2; step <= 2; ++step) {
        const std::int64_t offset = OffsetAt(localSeconds + step * kDay);
        if (std::find(offsets.begin(), offsets.end(), offset) == offsets.end()) offsets.push_back(offset);
    }
    std::optional<std::int64_t> first;
    for (std::int64_t offset : offsets) {
        const std::int64_t instant = localSeconds - offset;
        if (OffsetAt(instant) == offset && (!first || instant < *first)) first = instant;
    }
    if (first) return *first;
    return localSeconds - OffsetAt(localSeconds - 2 * kDay);
}

}  // namespace tallowmark
