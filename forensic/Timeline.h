#pragma once
// Timelines for forensic tools: one line per URL, LEAK and REDR record, with the times as
// the true instants the file stores (not shifted by the machine's present offset), in
// JSON Lines, the body-file layout that mactime reads, or RFC 4180 CSV.

#include <cstddef>
#include <cstdint>
#include <functional>
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

// Where a file's timeline goes: its text in pieces of about `kTimelinePiece` bytes,
// handed on whenever it has grown past that (in the middle of a long line too). The
// callee takes the bytes, and may leave another text in their place to go on in.
using TimelineHandOn = std::function<void(std::string& text)>;
inline constexpr std::size_t kTimelinePiece = 1 << 20;

struct FileTimeline {
    Outcome outcome;          // a failure names the file; the lines before it are kept
    std::string text;         // the last lines, after those handed on
    std::size_t records = 0;  // how many lines
};

// Reads the file at `path` in one pass and makes its lines in file order, in `buffer`
// (emptied first): a batch that hands back the texts it has written saves growing a new
// one per piece. Memory stays bounded by the largest record and a piece, however long a
// line its fields make.
FileTimeline TimelineOfFile(const std::string& path, const TimelineOptions& options, const TimelineHandOn& handOn,
                            std::string buffer = {}, std::size_t pieceSize = kTimelinePiece);

// Where a record carved from an image was found.
struct CarvedPlace {
    std::uint64_t imageOffset = 0;
    std::optional<std::uint64_t> fileOffset;  // image offset of the index file it lies in; none: loose
    std::string_view status = "unknown";      // live, deleted or unknown, from that file's bitmap
    bool partial = false;                     // only its first blocks were proven
};

// Appends the line of a carved record: the fields of a timeline line, with `offset` and
// `number` those in the index file it lies in (a loose record's offset is its place in
// the image, and it has no number), then where it was found.
void AppendCarvedLine(std::string& out, const TimelineOptions& options, std::string_view source,
                      const IndexRecord& record, std::uint64_t offset, std::optional<std::uint32_t> number,
                      const CarvedPlace& place);
// What goes before the first carved line: the CSV header row; nothing for the other formats.
std::string_view CarvedHeader(TimelineFormat format);

}  // namespace tallowmark
