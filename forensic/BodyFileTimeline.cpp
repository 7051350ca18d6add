#include "forensic/BodyFileTimeline.h"

#include <optional>

#include "forensic/TimelineFields.h"
#include "model/PreciseTime.h"

namespace tallowmark {

namespace {
using KindColumns = std::array<BodyColumn, kRecordTimeFields.size()>;

// What each column holds, nearest meaning first. A column takes one time of a kind: that
// of the first of its events the kind keeps, and of two times of that event the later,
// the 0x10 one (main history keeps the visit in both; a day's history at 0x08 on the
// source's wall clock, and at 0x10 as the instant).
struct ColumnEvents {
    BodyColumn column;
    std::array<TimeEvent, 2> events;
};
constexpr ColumnEvents kColumnEvents[] = {
    {BodyColumn::Accessed, {TimeEvent::Accessed, TimeEvent::Visited}},
    {BodyColumn::Modified, {TimeEvent::Modified, TimeEvent::Modified}},
    {BodyColumn::Changed, {TimeEvent::Checked, TimeEvent::Checked}},
    // A week's history keeps when its entry was made where the others keep the cached file's.
    {BodyColumn::Born, {TimeEvent::EntryCreated, TimeEvent::CacheFileCreated}},
};

KindColumns ColumnsOfKind(EntryKind kind) {
    KindColumns columns{};
    for (const ColumnEvents& rule : kColumnEvents) {
        std::optional<std::size_t> chosen;
        for (std::size_t e = 0; e < rule.events.size() && !chosen; ++e)
            for (std::size_t i = 0; i < kRecordTimeFields.size(); ++i)
                if (MeaningOf(kind, kRecordTimeFields[i]).event == rule.events[e]) chosen = i;
        if (chosen) columns[*chosen] = rule.column;
    }
    return columns;
}

const KindColumns& ColumnsOf(EntryKind kind) {
    static const std::array<KindColumns, kEntryKindCount> kColumns = [] {
        std::array<KindColumns, kEntryKindCount> all{};
        for (std::size_t k = 0; k < kEntryKindCount; ++k) all[k] = ColumnsOfKind(static_cast<EntryKind>(k));
        return all;
    }();
    return kColumns[static_cast<std::size_t>(kind)];
}

// mactime splits on "|" and decodes %XX in every field, so those, the percent sign
// itself and line ends are written as %XX.
void AppendBodyEscaped(std::string& out, std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (std::size_t special; (special = text.find_first_of("|%\r\n")) != std::string_view::npos;
         text.remove_prefix(special + 1)) {
        const auto byte = static_cast<unsigned char>(text[special]);
        out.append(text.data(), special);
        const char escape[] = {'%', kHex[byte >> 4], kHex[byte & 0xF]};
        out.append(escape, sizeof escape);
    }
    out.append(text);
}

// "deleted URL record 3 of the index file at 0x10000, carved at 0x10A00", "URL record
// carved at 0x10A00".
void AppendCarvedName(std::string& out, const TimelineFields& fields, const CarvedPlace& carved) {
    if (fields.deleted) out += "deleted ";
    if (fields.partial) out += "partial ";
    out += fields.type;
    out += " record ";
    if (carved.fileOffset) {
        AppendUnsigned(out, fields.record.value_or(0));
        out += " of the index file at ";
        AppendHex(out, *carved.fileOffset);
        out += ",";
    }
    out += " carved at ";
    AppendHex(out, carved.imageOffset);
}
}  // namespace

BodyColumn BodyFileTimeline::ColumnOf(EntryKind kind, RecordTimeField field) {
    return ColumnsOf(kind)[static_cast<std::size_t>(field)];
}

std::string BodyFileTimeline::EscapedSource(std::string_view source) const {
    std::string escaped;
    AppendBodyEscaped(escaped, source);
    return escaped;
}

// MD5|name|inode|mode_as_string|UID|GID|size|atime|mtime|ctime|crtime, epoch seconds.
void BodyFileTimeline::AppendLines(PieceSink& sink, const TimelineFields& fields, bool) const {
    const KindColumns& columnOf = ColumnsOf(fields.entry);
    std::array<std::int64_t, 5> columns{};  // by BodyColumn; 0 is the format's "no time"
    for (std::size_t i = 0; i < fields.times.size(); ++i) {
        if (fields.times[i].form != TimelineTime::Form::Instant) continue;
        if (const std::optional<std::int64_t> instant = InstantOf(fields.times[i].time))
            columns[static_cast<std::size_t>(columnOf[i])] = *instant;
    }
    std::string& out = sink.Text();
    out += "0|";
    ForEachUtf8Slice(sink, fields.url, AppendBodyEscaped);
    out += " (";
    if (fields.carved) {
        AppendCarvedName(out, fields, *fields.carved);
    } else {
        if (fields.deleted) out += "deleted ";
        out += fields.type;
        out += " record ";
        AppendUnsigned(out, fields.record.value_or(0));
        out += " at ";
        AppendHex(out, fields.offset);
    }
    out += " in ";
    out += fields.source;
    out += ")|0|0|0|0|";
    AppendUnsigned(out, fields.cachedSize.value_or(0));
    for (const BodyColumn column :
         {BodyColumn::Accessed, BodyColumn::Modified, BodyColumn::Changed, BodyColumn::Born}) {
        out += '|';
        AppendDecimal(out, columns[static_cast<std::size_t>(column)]);
    }
    out += '\n';
}

}  // namespace tallowmark
