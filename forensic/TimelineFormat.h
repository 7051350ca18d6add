#pragma once
// A layout of the timeline's lines, as --format names it. Each is one class in a file of
// its own, listed once in TimelineFormats.cpp; the parser of --format, the usage text,
// the completion (through --list-formats) and the fuzzers all read that list.

#include <span>
#include <string>
#include <string_view>

namespace tallowmark {

class PieceSink;
struct TimelineFields;

class TimelineFormat {
public:
    // The name --format takes: "jsonl".
    virtual std::string_view Name() const = 0;
    // What the help says of it after its name ("for mactime"); empty where the name is enough.
    virtual std::string_view Summary() const { return {}; }
    // What goes before the first line, naming the fields a caller adds after a record's own
    // (`extraNames`) too; nothing unless the format has a header.
    virtual std::string Header(std::span<const std::string_view> /*extraNames*/) const { return {}; }
    // The name of the file the records come from (UTF-8) as every one of its lines writes
    // it: escaped once, for all of them.
    virtual std::string EscapedSource(std::string_view source) const = 0;
    // Appends the lines of one record to `out`: one, one per time, or none. A time the file
    // keeps on the source machine's wall clock, which no zone made an instant, comes as
    // TimelineTime::Form::WallClock, and each format says what it does with one.
    virtual void AppendLines(PieceSink& out, const TimelineFields& fields, bool localTime) const = 0;

protected:
    TimelineFormat() = default;
    ~TimelineFormat() = default;  // the formats are the registry's, never deleted by anyone
};

// Every format, the default first.
std::span<const TimelineFormat* const> TimelineFormats();
const TimelineFormat& DefaultTimelineFormat();
// The format `name` names; null for none.
const TimelineFormat* TimelineFormatNamed(std::string_view name);

}  // namespace tallowmark
