#include "forensic/JsonLinesTimeline.h"

#include "forensic/TimelineFields.h"

namespace tallowmark {

std::string JsonLinesTimeline::EscapedSource(std::string_view source) const {
    std::string escaped;
    AppendJsonEscaped(escaped, source);
    return escaped;
}

void JsonLinesTimeline::AppendLines(PieceSink& out, const TimelineFields& fields, bool localTime) const {
    AppendLine<JsonLineWriter>(out, fields, localTime);
}

}  // namespace tallowmark
