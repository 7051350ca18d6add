#pragma once
// The body file that mactime reads: one line per record, each time in the column nearest
// its meaning, as epoch seconds. The body file has no time zone: its times are always the
// UTC instants, and a time on the source's wall clock with no zone is left out.

#include "forensic/TimelineFormat.h"
#include "model/TimeMeaning.h"

namespace tallowmark {

// The body file's time columns, a m c b as mactime reads them.
enum class BodyColumn : std::uint8_t { None, Accessed, Modified, Changed, Born };

class BodyFileTimeline final : public TimelineFormat {
public:
    std::string_view Name() const override { return "bodyfile"; }
    std::string_view Summary() const override { return "for mactime"; }
    std::string EscapedSource(std::string_view source) const override;
    void AppendLines(PieceSink& out, const TimelineFields& fields, bool localTime) const override;

    // The column the time `field` of a `kind` entry takes; at most one time of a kind has each.
    static BodyColumn ColumnOf(EntryKind kind, RecordTimeField field);
};

}  // namespace tallowmark
