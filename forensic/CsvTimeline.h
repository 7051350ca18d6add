#pragma once
// RFC 4180 CSV in UTF-8 with a header row: the fields of the JSON line in its order, an
// absent one empty, a wall-clock time as that machine's clock read it, with no offset.

#include "forensic/TimelineFormat.h"

namespace tallowmark {

class CsvTimeline final : public TimelineFormat {
public:
    std::string_view Name() const override { return "csv"; }
    std::string Header(std::span<const std::string_view> extraNames) const override;
    std::string EscapedSource(std::string_view source) const override;
    void AppendLines(PieceSink& out, const TimelineFields& fields, bool localTime) const override;
};

}  // namespace tallowmark
