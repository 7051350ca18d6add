#pragma once
// The JSON Lines that Timesketch imports: one line per time of a record that is an
// instant, each with the summary and the time Timesketch wants first, then every field of
// the JSON line. A time on the source's wall clock with no zone has no line of its own; the
// fields write it as the JSON line does.

#include "forensic/TimelineFormat.h"
#include "model/TimeMeaning.h"

namespace tallowmark {

class TimesketchTimeline final : public TimelineFormat {
public:
    std::string_view Name() const override { return "timesketch"; }
    std::string_view Summary() const override { return "one JSON line per time, for Timesketch to import"; }
    std::string EscapedSource(std::string_view source) const override;
    void AppendLines(PieceSink& out, const TimelineFields& fields, bool localTime) const override;

    // What a time means in Timesketch's words: "Last Visited", "Content Modified", …
    static std::string_view DescriptionOf(TimeEvent event);
};

}  // namespace tallowmark
