#pragma once
// Timelines for forensic tools: one line per URL, LEAK and REDR record, with the times as
// the true instants the file stores (not shifted by the machine's present offset), in
// JSON Lines, the body-file layout that mactime reads, or RFC 4180 CSV.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/IndexRecord.h"
#include "model/Outcome.h"

namespace tallowmark {

enum class TimelineFormat { Jsonl, Bodyfile, Csv };

struct TimelineOptions {
    TimelineFormat format = TimelineFormat::Jsonl;
    bool localTime = false;  // local time with the offset at each date, instead of UTC
};

std::optional<TimelineFormat> TimelineFormatNamed(std::string_view name);

// What goes before the first line: the CSV header row; nothing for the other formats.
std::string_view TimelineHeader(TimelineFormat format);

// URL, LEAK and REDR records have a line; the other kinds carry no URL and no time.
bool HasTimelineLine(const IndexRecord& record);

// Appends the line (with its line end) of a record that HasTimelineLine, found at
// `offset` in the file at `sourcePath`.
void AppendTimelineLine(std::string& out, const TimelineOptions& options, std::string_view sourcePath,
                        const IndexRecord& record, std::uint64_t offset);

struct FileTimeline {
    Outcome outcome;          // a failure names the file; the lines before it are kept
    std::string text;         // the lines of the file's records, in file order
    std::size_t records = 0;  // how many lines
};

// Reads the file at `path` in one pass and makes its lines, in `buffer` (emptied first):
// a batch that hands back the texts it has written saves growing a new one per file.
FileTimeline TimelineOfFile(const std::string& path, const TimelineOptions& options, std::string buffer = {});

}  // namespace tallowmark
