#pragma once
// JSON Lines: one JSON object a line with every field of the record, a wall-clock time
// as that machine's clock read it, with no offset.

#include "forensic/TimelineFormat.h"

namespace tallowmark {

class JsonLinesTimeline final : public TimelineFormat {
public:
    std::string_view Name() const override { return "jsonl"; }
    std::string_view Summary() const override { return "JSON Lines"; }
    std::string EscapedSource(std::string_view source) const override;
    void AppendLines(PieceSink& out, const TimelineFields& fields, bool localTime) const override;
};

}  // namespace tallowmark
