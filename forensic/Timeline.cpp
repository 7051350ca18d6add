#include "forensic/Timeline.h"

#include <new>

#include "forensic/TimelineFields.h"
#include "model/IndexStream.h"
#include "model/PreciseTime.h"
#include "model/RecordEvidence.h"
#include "model/TallowmarkDoc.h"
#include "presentation/AnsiText.h"

namespace tallowmark {

namespace {
TimelineTime TimeOf(const RecordTime& stored, const TimeMeaning& meaning, const TimelineOptions& options,
                    std::size_t& wallClockTimes) {
    switch (stored.state) {
        case RecordTime::State::Absent: return {};
        case RecordTime::State::Never: return {TimelineTime::Form::Never};
        case RecordTime::State::Set: break;
    }
    if (meaning.clock == TimeClock::Utc) return {TimelineTime::Form::Instant, stored.time, stored.twoSecond};
    if (!options.sourceZone) {
        ++wallClockTimes;
        return {TimelineTime::Form::WallClock, stored.time, stored.twoSecond};
    }
    const std::optional<FileTime> instant = InstantOfWallClock(stored.time, *options.sourceZone);
    return instant ? TimelineTime{TimelineTime::Form::Instant, *instant, stored.twoSecond} : TimelineTime{};
}

TimelineFields FieldsOf(std::string_view source, const IndexRecord& record, std::uint64_t offset,
                        const TimelineOptions& options, std::size_t& wallClockTimes) {
    const RecordEvidence evidence(record);
    TimelineFields fields;
    fields.source = source;
    fields.type = record.TypeName();
    fields.status = StatusName(evidence.Status());
    fields.kind = EntryKindName(evidence.Kind());
    fields.user = evidence.User();
    fields.url = record.UrlText();
    fields.offset = offset;
    fields.record = record.RecordNumber();
    fields.size = record.Size();
    fields.hashed = evidence.Hashed();
    fields.partial = evidence.Partial();
    fields.deleted = evidence.Status() == RecordStatus::Deleted;
    fields.block = record.Kind();
    fields.entry = evidence.Kind();
    for (std::size_t i = 0; i < kRecordTimeFields.size(); ++i) {
        fields.meanings[i] = &evidence.Meaning(kRecordTimeFields[i]);
        fields.times[i] = TimeOf(evidence.Time(kRecordTimeFields[i]), *fields.meanings[i], options, wallClockTimes);
    }
    if (const auto url = AsUrlRecord(record)) {
        fields.cacheDirectory = url->CacheDirText();
        fields.cacheFile = url->FileNameText();
    }
    fields.httpHeaders = evidence.HttpHeaders();
    fields.pageTitle = evidence.PageTitle();
    fields.cachedSize = evidence.CachedSize();
    fields.hits = evidence.Hits();
    fields.flags = evidence.Flags();
    fields.cacheDirectoryIndex = evidence.CacheDirectoryIndex();
    return fields;
}

// The lines of one record, by the format.
void AppendRecordLines(PieceSink& out, const TimelineOptions& options, const TimelineFields& fields) {
    options.format->AppendLines(out, fields, options.localTime);
    out.Check();
}

// The fields a carved line adds after the record's own, in the order of the header row.
constexpr std::string_view kCarvedFieldNames[] = {"image_offset", "carved_from"};
}  // namespace

std::string TimelineHeader(const TimelineFormat& format, std::span<const std::string_view> extraNames) {
    return format.Header(extraNames);
}

std::string CarvedHeader(const TimelineFormat& format) { return format.Header(kCarvedFieldNames); }

bool HasTimelineLine(const IndexRecord& record) { return CarriesEvidence(record); }

TimelineWriter::TimelineWriter(const TimelineOptions& options, std::string_view source, std::string& text,
                               const TimelineHandOn& handOn, std::size_t pieceSize)
    : m_options(options),
      m_strSource(options.format->EscapedSource(source)),
      m_text(text),
      m_pieceSize(pieceSize),
      m_handOn(handOn) {}

void TimelineWriter::Add(const IndexRecord& record, std::uint64_t offset, std::span<const TimelineExtraField> extra) {
    if (!HasTimelineLine(record)) return;
    PieceSink out(m_text, m_pieceSize, m_handOn);
    TimelineFields fields = FieldsOf(m_strSource, record, offset, m_options, m_wallClockTimes);
    fields.extra = extra;
    AppendRecordLines(out, m_options, fields);
    ++m_records;
}

void TimelineWriter::AddCarved(const IndexRecord& record, std::uint64_t offset, const CarvedPlace& place) {
    if (!HasTimelineLine(record)) return;
    std::string from = "loose";
    if (place.fileOffset) {
        from = "file ";
        AppendHex(from, *place.fileOffset);
    }
    const TimelineExtraField extra[] = {{kCarvedFieldNames[0], TimelineExtraField::Form::Hex, {}, place.imageOffset},
                                        {kCarvedFieldNames[1], TimelineExtraField::Form::Text, from}};
    PieceSink out(m_text, m_pieceSize, m_handOn);
    TimelineFields fields = FieldsOf(m_strSource, record, offset, m_options, m_wallClockTimes);
    if (!place.fileOffset) fields.record.reset();
    fields.extra = extra;
    fields.carved = &place;
    AppendRecordLines(out, m_options, fields);
    ++m_records;
}

FileTimeline TimelineOfFile(const std::string& path, const TimelineOptions& options, const TimelineHandOn& handOn,
                            std::string buffer, std::size_t pieceSize, std::span<const TimelineExtraField> extra) {
    FileTimeline timeline;
    timeline.text = std::move(buffer);
    timeline.text.clear();
    IndexStream stream;
    timeline.outcome = stream.Open(path);
    if (!timeline.outcome) return timeline;
    TimelineWriter writer(options, TextToUtf8(path), timeline.text, handOn, pieceSize);
    try {
        timeline.outcome =
            stream.Walk([&](const IndexRecord& record, std::uint64_t offset) { writer.Add(record, offset, extra); });
    } catch (const std::bad_alloc&) {
        // The lines made so far still go out; the file is named as failed.
        timeline.outcome = Outcome::Failure(kMsgFailedToOpen);
    }
    timeline.records = writer.Records();
    timeline.wallClockTimes = writer.WallClockTimes();
    timeline.shortfall = stream.Shortfall();
    return timeline;
}

FileTimeline TimelineOfDocument(const TallowmarkDoc& document, std::string_view source, const TimelineOptions& options,
                                const TimelineHandOn& handOn, std::string buffer,
                                std::span<const TimelineExtraField> extra) {
    FileTimeline timeline;
    timeline.text = std::move(buffer);
    timeline.text.clear();
    TimelineWriter writer(options, source, timeline.text, handOn);
    for (const auto& record : document.Records()) writer.Add(record, document.OffsetOf(record), extra);
    timeline.records = writer.Records();
    timeline.wallClockTimes = writer.WallClockTimes();
    timeline.shortfall = document.Shortfall();
    return timeline;
}

std::string WallClockSummary(std::size_t wallClockTimes, std::size_t sources, std::string_view noun) {
    if (wallClockTimes == 0) return {};
    return std::to_string(wallClockTimes) + (wallClockTimes == 1 ? " wall-clock time in " : " wall-clock times in ") +
           std::to_string(sources) + " " + std::string(noun) + (sources == 1 ? "" : "s") +
           " stayed unconverted: give --source-zone ZONE";
}

}  // namespace tallowmark
