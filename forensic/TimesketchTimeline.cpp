#include "forensic/TimesketchTimeline.h"

#include "forensic/TimelineFields.h"
#include "model/PreciseTime.h"

namespace tallowmark {

namespace {
// The names the Timesketch analysers and the other tools of the field give these records.
std::string_view DataTypeOf(BlockKind kind) {
    switch (kind) {
        case BlockKind::Leak: return "msiecf:leak";
        case BlockKind::Redirect: return "msiecf:redirected";
        default: return "msiecf:url";
    }
}

// Timesketch's summary of the record: its kind, status, URL and title.
void AppendMessage(JsonLineWriter& writer, const TimelineFields& fields) {
    PieceSink& out = writer.Sink();
    writer.Key("message") += '"';
    out.Text() += fields.kind;
    if (fields.deleted) out.Text() += " (deleted)";
    out.Text() += ": ";
    ForEachUtf8Slice(out, fields.url, AppendJsonEscaped);
    if (fields.pageTitle.size() >= 2) {
        out.Text() += " - ";
        ForEachUtf16Slice(out, fields.pageTitle, AppendJsonEscaped);
    }
    out.Text() += '"';
}
}  // namespace

std::string_view TimesketchTimeline::DescriptionOf(TimeEvent event) {
    switch (event) {
        case TimeEvent::Modified: return "Content Modified";
        case TimeEvent::Accessed: return "Last Accessed";
        case TimeEvent::Visited: return "Last Visited";
        case TimeEvent::Expires: return "Expires";
        case TimeEvent::Checked: return "Last Checked";
        case TimeEvent::CacheFileCreated: return "Cached File Created";
        case TimeEvent::EntryCreated: return "File Created";
    }
    return {};
}

std::string TimesketchTimeline::EscapedSource(std::string_view source) const {
    std::string escaped;
    AppendJsonEscaped(escaped, source);
    return escaped;
}

// A time that repeats an earlier one of the record with the same meaning adds nothing. The
// summary and the fields are the same on each of a record's lines: escaped once where they
// are small, and afresh for each line where they are not, so that memory stays bounded.
void TimesketchTimeline::AppendLines(PieceSink& out, const TimelineFields& fields, bool localTime) const {
    constexpr std::size_t kMostKept = 64 << 10;
    thread_local std::string message, rest;
    enum class Kept : std::uint8_t { NotYet, Yes, TooLarge } kept = Kept::NotYet;
    for (std::size_t i = 0; i < fields.times.size(); ++i) {
        const TimelineTime& time = fields.times[i];
        if (time.form != TimelineTime::Form::Instant) continue;
        const TimeEvent event = fields.meanings[i]->event;
        bool repeated = false;
        for (std::size_t j = 0; j < i; ++j)
            repeated = repeated || (fields.times[j].form == TimelineTime::Form::Instant &&
                                    fields.times[j].time == time.time && fields.meanings[j]->event == event);
        std::string datetime;
        const std::optional<std::int64_t> microseconds = MicrosecondsOf(time.time);
        if (repeated || !microseconds || !AppendPreciseIsoTime(datetime, time.time, !time.twoSecond, IsoSuffix::Utc))
            continue;
        if (kept == Kept::NotYet) {
            bool tooLarge = false;
            const TimelineHandOn overflow = [&](std::string& text) {
                tooLarge = true;
                text.clear();
            };
            message.clear();
            rest.clear();
            PieceSink messageSink(message, kMostKept, overflow), restSink(rest, kMostKept, overflow);
            JsonLineWriter messageWriter(messageSink, localTime);
            AppendMessage(messageWriter, fields);
            JsonLineWriter restWriter(restSink, localTime, true);
            WriteFields(restWriter, fields);
            kept = tooLarge ? Kept::TooLarge : Kept::Yes;
        }
        if (kept == Kept::Yes) out.Text() += message;
        JsonLineWriter writer(out, localTime, kept == Kept::Yes);
        if (kept != Kept::Yes) AppendMessage(writer, fields);
        writer.Word("datetime", datetime);
        writer.Signed("timestamp", *microseconds);
        writer.Word("timestamp_desc", DescriptionOf(event));
        writer.Word("data_type", DataTypeOf(fields.block));
        if (kept == Kept::Yes) out.Text() += rest;
        else
            WriteFields(writer, fields);
        writer.End();
        out.Check();
    }
}

}  // namespace tallowmark
