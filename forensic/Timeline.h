#pragma once
// Timelines for forensic tools: one line per URL, LEAK and REDR record (or one per time,
// as a format may choose), with each record's evidence and its times at their full
// precision as the true instants the file stores, in one of the formats of
// TimelineFormat.h. A time the file keeps on the source machine's wall clock becomes an
// instant only once that machine's zone is named; until then it is never written as one.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "forensic/TimelineFormat.h"
#include "model/IndexRecord.h"
#include "model/Outcome.h"
#include "model/RecordExtent.h"
#include "model/ZoneRules.h"

namespace tallowmark {

struct TimelineOptions {
    // One of TimelineFormats(), never null.
    const TimelineFormat* format = &DefaultTimelineFormat();
    bool localTime = false;  // local time with the offset at each date, instead of UTC
    // The zone of the machine the files came from, for the times kept on its wall clock.
    std::shared_ptr<const ZoneRules> sourceZone;
};

// A field a caller adds after a record's own, such as where a carved record was found.
struct TimelineExtraField {
    enum class Form { Text, Number, Hex };
    std::string_view name;
    Form form = Form::Text;
    std::string_view text;  // Text: UTF-8
    std::uint64_t number = 0;
};

// What goes before the first line, such as the CSV header row, with the names of the
// fields a caller adds.
std::string TimelineHeader(const TimelineFormat& format, std::span<const std::string_view> extraNames = {});

// URL, LEAK and REDR records have a line; the other kinds carry no URL and no time.
bool HasTimelineLine(const IndexRecord& record);

// Where a file's timeline goes: its text in pieces of about `kTimelinePiece` bytes,
// handed on whenever it has grown past that (in the middle of a long line too). The
// callee takes the bytes, and may leave another text in their place to go on in.
using TimelineHandOn = std::function<void(std::string& text)>;
inline constexpr std::size_t kTimelinePiece = 1 << 20;

// Where a record carved from an image was found.
struct CarvedPlace {
    std::uint64_t imageOffset = 0;
    std::optional<std::uint64_t> fileOffset;  // image offset of the index file it lies in; none: loose
};

// What goes before the first carved line, such as the CSV header row, image_offset and
// carved_from last.
std::string CarvedHeader(const TimelineFormat& format);

// Makes the lines of one source's records into `text`, handing it on in pieces: the walk
// of a file below, and any caller with records of its own (the carver's).
class TimelineWriter {
public:
    // `source` names the file the records come from, in UTF-8; `options` and `handOn`
    // must outlive the writer.
    TimelineWriter(const TimelineOptions& options, std::string_view source, std::string& text,
                   const TimelineHandOn& handOn, std::size_t pieceSize = kTimelinePiece);

    // The lines of `record`, which starts at `offset`, with `extra` after its own fields;
    // nothing for a record without a line.
    void Add(const IndexRecord& record, std::uint64_t offset, std::span<const TimelineExtraField> extra = {});
    // The lines of a record carved from an image, `offset` its place in the index file it
    // lies in (or in the image, for a loose record, which has no number), then where it
    // was found.
    void AddCarved(const IndexRecord& record, std::uint64_t offset, const CarvedPlace& place);

    // Records that had lines.
    std::size_t Records() const { return m_records; }
    // Times kept on the source machine's wall clock that no zone made instants.
    std::size_t WallClockTimes() const { return m_wallClockTimes; }

private:
    const TimelineOptions& m_options;
    const std::string m_strSource;  // escaped for the format
    std::string& m_text;
    const std::size_t m_pieceSize;
    const TimelineHandOn& m_handOn;
    std::size_t m_records = 0;
    std::size_t m_wallClockTimes = 0;
};

struct FileTimeline {
    Outcome outcome;                 // a failure names the file; the lines before it are kept
    std::string text;                // the last lines, after those handed on
    std::size_t records = 0;         // how many records had lines
    std::size_t wallClockTimes = 0;  // times left on the source's wall clock, for want of its zone
    FileShortfall shortfall;         // what the file lacks of what it says of itself
};

// Reads the file at `path` in one pass and makes its lines in file order, in `buffer`
// (emptied first): a batch that hands back the texts it has written saves growing a new
// one per piece. Memory stays bounded by the largest record and a piece, however long a
// line its fields make.
FileTimeline TimelineOfFile(const std::string& path, const TimelineOptions& options, const TimelineHandOn& handOn,
                            std::string buffer = {}, std::size_t pieceSize = kTimelinePiece);

// The one line a batch writes to stderr at its end when times of `sources` files (or
// images: `noun`) stayed on their source's wall clock for want of its zone; empty when none did.
std::string WallClockSummary(std::size_t wallClockTimes, std::size_t sources, std::string_view noun = "file");

}  // namespace tallowmark
