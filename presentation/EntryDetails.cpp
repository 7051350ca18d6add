#include "presentation/EntryDetails.h"

#include <array>
#include <cstdio>

#include "model/HistoryData.h"
#include "model/PreciseTime.h"
#include "model/RecordEvidence.h"
#include "presentation/AnsiText.h"
#include "presentation/Columns.h"

namespace tallowmark {

namespace {
// A list time at its seconds, with the zone it is shown in, or why it shows the epoch.
std::string LocalTimeText(FileTime stored, TimeValue value) {
    std::string text = FormatTime(value, LONG_TIME_FORMAT);
    if (text.empty()) return text;
    switch (HowTimeShows(stored)) {
        case ShownTime::NoneStored: return text + " (no time is stored)";
        case ShownTime::NotConvertible: return text + " (cannot be converted)";
        case ShownTime::Local: break;
    }
    return text + " (local, " + UtcOffsetText(ShownTimeOffset()) + ")";
}

std::string UrlDetails(const UrlRecord& record) {
    std::string text = "Last Modified: " + LocalTimeText(record.ModifiedFileTime(), record.ModifiedTime()) +
                       "\nLast Accessed: " + LocalTimeText(record.AccessedFileTime(), record.AccessedTime());
    auto addLine = [&text](const char* label, std::string_view value) {
        if (!value.empty()) text.append(label).append(AnsiToUtf8(value));
    };
    addLine("\nURL: ", record.UrlText());
    addLine("\nCache Filename: ", record.FileNameText());
    addLine("\nCache Directory: ", record.CacheDirText());
    addLine("\nHTTP Headers:\n", RecordEvidence(record).HttpHeadersShown());
    return text;
}

std::string DetailsPart(const IndexRecord& record) {
    if (const auto url = AsUrlRecord(record)) return UrlDetails(*url);
    if (record.Kind() == BlockKind::Blank) return "Blank records are blank and contain all zeros";
    if (record.Kind() == BlockKind::BadFood) return "BAD FOOD records contain repeating 0B, AD, F0, 0D values only.";
    if (record.Kind() == BlockKind::Redirect) return "URL: " + AnsiToUtf8(record.UrlText());
    return {};
}

std::string_view StatusMeaning(RecordStatus status) {
    switch (status) {
        case RecordStatus::Live: return "live (the allocation bitmap marks its blocks in use)";
        case RecordStatus::Deleted: return "deleted (the allocation bitmap marks its blocks free)";
        case RecordStatus::Unknown: break;
    }
    return "unknown (the allocation bitmap does not cover its blocks)";
}

// A time at its full precision: an instant in UTC, a time of the source machine's wall
// clock without a zone, since none is known.
std::string DetailTime(const RecordTime& time, TimeClock clock) {
    if (time.state == RecordTime::State::Never) return "never";
    std::string text;
    if (!AppendPreciseIsoTime(text, time.time, !time.twoSecond,
                              clock == TimeClock::Utc ? IsoSuffix::Utc : IsoSuffix::None))
        return "out of range (" + std::to_string(time.time) + ")";
    return text;
}

// What a time means, and where two of the entry's times mean the same (both times of a
// visit in the main history), which of the stored times it is.
std::string TimeLabel(const RecordEvidence& evidence, RecordTimeField field) {
    static constexpr std::array<std::string_view, kRecordTimeFields.size()> kStoredAs = {
        "modified time", "accessed time", "expiry time", "last-checked time", "cached file's creation time"};
    const std::string_view label = evidence.Meaning(field).label;
    for (const RecordTimeField other : kRecordTimeFields)
        if (other != field && evidence.Meaning(other).label == label &&
            evidence.Time(other).state != RecordTime::State::Absent)
            return std::string(label) + " (" + std::string(kStoredAs[static_cast<std::size_t>(field)]) + ")";
    return std::string(label);
}

// Every field the entry holds beyond the list's, under a label that says what it means
// for the entry's kind; the fields it lacks are left out.
std::string EvidenceDetails(const IndexRecord& record) {
    const RecordEvidence evidence(record);
    std::string text;
    auto addLine = [&text](std::string_view label, std::string_view value) {
        if (!text.empty()) text += "\r\n";
        text.append(label).append(": ").append(value);
    };
    addLine("Status", StatusMeaning(evidence.Status()));
    addLine("Hashed",
            evidence.Hashed() ? "yes (a hash entry in use points at it)" : "no (no hash entry in use points at it)");
    if (evidence.Partial()) addLine("Partial", "yes (cut short where another record begins)");
    addLine("Kind", EntryKindName(evidence.Kind()));
    if (!evidence.User().empty()) addLine("User", AnsiToUtf8(evidence.User()));
    for (const RecordTimeField field : kRecordTimeFields) {
        const RecordTime time = evidence.Time(field);
        if (time.state == RecordTime::State::Absent) continue;
        const TimeMeaning& meaning = evidence.Meaning(field);
        addLine(TimeLabel(evidence, field), DetailTime(time, meaning.clock));
    }
    if (const auto index = evidence.CacheDirectoryIndex()) addLine("Cache directory index", std::to_string(*index));
    if (const auto size = evidence.CachedSize()) addLine("Cached file size", SizeText(*size) + " bytes");
    if (const auto hits = evidence.Hits()) addLine("Hits", std::to_string(*hits));
    if (const auto flags = evidence.Flags()) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%08x", static_cast<unsigned>(*flags));
        addLine("Flags", hex);
    }
    if (const auto delta = evidence.ExemptDelta()) addLine("Exempt delta", std::to_string(*delta) + " seconds");
    if (const ByteView title = evidence.PageTitle(); !title.empty()) addLine("Page title", Utf16ToUtf8(title));
    if (const ByteView uri = evidence.FileUri(); !uri.empty()) addLine("File URI", Utf16ToUtf8(uri));
    return text;
}
}  // namespace

std::string EntryDetailsText(const IndexRecord& record, const std::string& documentPath) {
    std::string text = "File:\r\n" + documentPath +
                       "\r\nRecord Number: " + std::to_string(static_cast<std::uint64_t>(record.RecordNumber()) + 1) +
                       "\r\nRecord Type: " + std::string(record.TypeName()) +
                       "\r\nRecord Size: " + SizeText(record.Size()) + " bytes";
    const std::string details = DetailsPart(record);
    if (!details.empty()) text += "\r\n\r\nDetails:\r\n" + details;
    return text;
}

std::string EntryDetailsWithEvidence(const IndexRecord& record, const std::string& documentPath) {
    std::string text = EntryDetailsText(record, documentPath);
    if (CarriesEvidence(record)) text += "\r\n\r\nEvidence:\r\n" + EvidenceDetails(record);
    return text;
}

}  // namespace tallowmark
