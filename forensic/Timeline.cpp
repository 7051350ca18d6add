#include "forensic/Timeline.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <new>

#include "forensic/JsonText.h"
#include "model/HistoryData.h"
#include "model/IndexStream.h"
#include "model/PreciseTime.h"
#include "model/RecordEvidence.h"
#include "model/TallowmarkDoc.h"
#include "presentation/AnsiText.h"

namespace tallowmark {

namespace {
// The text of a file's lines as it grows, handed on in pieces.
class PieceSink {
public:
    PieceSink(std::string& text, std::size_t pieceSize, const TimelineHandOn& handOn)
        : m_text(text), m_pieceSize(pieceSize), m_handOn(handOn) {}
    std::string& Text() { return m_text; }
    // Hands the text on once it has grown to a piece.
    void Check() {
        if (m_text.size() >= m_pieceSize) {
            m_handOn(m_text);
            m_text.clear();
        }
    }

private:
    std::string& m_text;
    const std::size_t m_pieceSize;
    const TimelineHandOn& m_handOn;
};

// Long texts go in slices straight from the record's bytes, so no converted copy of one
// is ever made whole; every escape a line uses works byte by byte, so slices may end
// anywhere between characters.
constexpr std::size_t kSlice = 64 << 10;

// A record's text goes out as UTF-8: as it is when it is valid UTF-8, else read in the
// ANSI code page, as TextToUtf8 converts it.
template <class Escape>
void ForEachUtf8Slice(PieceSink& out, std::string_view bytes, Escape&& escape) {
    const bool utf8 = IsValidUtf8(bytes);
    while (!bytes.empty()) {
        const std::size_t length = utf8 ? std::min(bytes.size(), kSlice) : AnsiCharactersEnd(bytes, kSlice);
        if (utf8) escape(out.Text(), bytes.substr(0, length));
        else
            escape(out.Text(), std::string_view(AnsiToUtf8(bytes.substr(0, length))));
        bytes.remove_prefix(length);
        out.Check();
    }
}

// The same for a UTF-16LE text of the file, such as a page title.
template <class Escape>
void ForEachUtf16Slice(PieceSink& out, ByteView utf16, Escape&& escape) {
    std::string slice;
    while (utf16.size() >= 2) {
        const std::size_t length = Utf16SliceEnd(utf16, kSlice);
        slice.clear();
        AppendUtf16AsUtf8(slice, utf16.first(length));
        escape(out.Text(), std::string_view(slice));
        utf16 = utf16.subspan(length);
        out.Check();
    }
}

// A record's time as a line writes it.
struct TimelineTime {
    enum class Form : std::uint8_t { Absent, Never, Instant, WallClock };
    Form form = Form::Absent;
    FileTime time = 0;
    bool twoSecond = false;
};

// The fields of one line: texts as the record holds them, but the source path, which is
// UTF-8 and escaped for the line's format already.
struct TimelineFields {
    std::string_view source;
    std::string_view type, status, kind, user, url, cacheDirectory, cacheFile, httpHeaders;
    ByteView pageTitle;  // UTF-16LE
    std::uint64_t offset = 0, size = 0;
    std::optional<std::uint64_t> record;  // none for a loose carved record
    bool hashed = false, partial = false, deleted = false;
    std::array<TimelineTime, kRecordTimeFields.size()> times{};
    std::array<const TimeMeaning*, kRecordTimeFields.size()> meanings{};
    std::optional<std::uint64_t> cachedSize;
    std::optional<std::uint32_t> hits, flags;
    std::optional<std::uint8_t> cacheDirectoryIndex;
    std::string_view dataType;  // Timesketch's name for the kind of record
    std::span<const TimelineExtraField> extra;
    const CarvedPlace* carved = nullptr;  // set for a record carved from an image
};

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

// The names the Timesketch analysers and the other tools of the field give these records.
std::string_view DataTypeOf(BlockKind kind) {
    switch (kind) {
        case BlockKind::Leak: return "msiecf:leak";
        case BlockKind::Redirect: return "msiecf:redirected";
        default: return "msiecf:url";
    }
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
    for (std::size_t i = 0; i < kRecordTimeFields.size(); ++i) {
        fields.meanings[i] = &evidence.Meaning(kRecordTimeFields[i]);
        fields.times[i] = TimeOf(evidence.Time(kRecordTimeFields[i]), *fields.meanings[i], options, wallClockTimes);
    }
    if (const UrlRecord* url = AsUrlRecord(record)) {
        fields.cacheDirectory = url->CacheDirText();
        fields.cacheFile = url->FileNameText();
    }
    fields.httpHeaders = evidence.HttpHeaders();
    fields.pageTitle = evidence.PageTitle();
    fields.cachedSize = evidence.CachedSize();
    fields.hits = evidence.Hits();
    fields.flags = evidence.Flags();
    fields.cacheDirectoryIndex = evidence.CacheDirectoryIndex();
    fields.dataType = DataTypeOf(record.Kind());
    return fields;
}

void AppendDecimal(std::string& out, std::int64_t value) {
    std::array<char, 24> digits{};
    const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), value).ptr;
    out.append(digits.data(), end);
}

void AppendUnsigned(std::string& out, std::uint64_t value) {
    std::array<char, 24> digits{};
    const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), value).ptr;
    out.append(digits.data(), end);
}

void AppendHex(std::string& out, std::uint64_t value) {
    std::array<char, 24> digits{};
    const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), value, 16).ptr;
    out += "0x";
    for (const char* p = digits.data(); p != end; ++p) out += static_cast<char>(*p >= 'a' ? *p - 'a' + 'A' : *p);
}

// Entry flags as "0x%08x".
void AppendFlags(std::string& out, std::uint32_t flags) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += "0x";
    for (int shift = 28; shift >= 0; shift -= 4) out += kHex[flags >> shift & 0xF];
}

// The time's text; false, appending nothing, when it has none.
bool AppendTimelineTime(std::string& out, const TimelineTime& time, bool localTime) {
    switch (time.form) {
        case TimelineTime::Form::Absent: return false;
        case TimelineTime::Form::Never: out += "never"; return true;
        case TimelineTime::Form::WallClock:
            return AppendPreciseIsoTime(out, time.time, !time.twoSecond, IsoSuffix::None);
        case TimelineTime::Form::Instant: break;
    }
    return AppendPreciseInstant(out, time.time, !time.twoSecond, localTime);
}

// The fields of a JSON or CSV line, named and in order: the one list both formats, the
// Timesketch lines and the CSV header row follow.
template <typename Writer>
void WriteFields(Writer& writer, const TimelineFields& fields) {
    writer.Word("source", fields.source);
    writer.Hex("offset", fields.offset);
    writer.Number("record", fields.record);
    writer.Word("type", fields.type);
    writer.Word("status", fields.status);
    writer.Bool("hashed", fields.hashed);
    writer.Bool("partial", fields.partial);
    writer.Word("kind", fields.kind);
    writer.TextOrNull("user", fields.user);
    writer.Text("url", fields.url);
    static constexpr std::array<std::string_view, kRecordTimeFields.size()> kTimeNames = {
        "modified", "accessed", "expires", "last_checked", "cache_file_created"};
    for (std::size_t i = 0; i < kTimeNames.size(); ++i) writer.Time(kTimeNames[i], fields.times[i]);
    writer.Text("cache_directory", fields.cacheDirectory);
    writer.Number("cache_directory_index", fields.cacheDirectoryIndex);
    writer.Text("cache_file", fields.cacheFile);
    writer.Number("cached_size", fields.cachedSize);
    writer.Number("hits", fields.hits);
    writer.Flags("flags", fields.flags);
    writer.Utf16OrNull("page_title", fields.pageTitle);
    writer.Text("http_headers", fields.httpHeaders);
    writer.Number("size", fields.size);
    for (const TimelineExtraField& extra : fields.extra) {
        switch (extra.form) {
            case TimelineExtraField::Form::Text: writer.Text(extra.name, extra.text); break;
            case TimelineExtraField::Form::Number: writer.Number(extra.name, extra.number); break;
            case TimelineExtraField::Form::Hex: writer.Hex(extra.name, extra.number); break;
            case TimelineExtraField::Form::Null: writer.TextOrNull(extra.name, {}); break;
        }
    }
}

// {"name":value,...}: texts as JSON strings, the offset and flags as hex strings, absent
// values null.
class JsonLineWriter {
public:
    // `continuing`: the line's first fields are written already.
    JsonLineWriter(PieceSink& out, bool localTime, bool continuing = false)
        : m_out(out), m_localTime(localTime), m_first(!continuing) {}
    // A text that needs no escape: our own names, or one escaped already.
    void Word(std::string_view name, std::string_view text) {
        std::string& out = Name(name);
        out += '"';
        out += text;
        out += '"';
    }
    void Text(std::string_view name, std::string_view text) {
        Name(name) += '"';
        ForEachUtf8Slice(m_out, text, AppendJsonEscaped);
        m_out.Text() += '"';
    }
    void TextOrNull(std::string_view name, std::string_view text) {
        if (text.empty()) Name(name) += "null";
        else
            Text(name, text);
    }
    void Utf16OrNull(std::string_view name, ByteView text) {
        if (text.size() < 2) {
            Name(name) += "null";
            return;
        }
        Name(name) += '"';
        ForEachUtf16Slice(m_out, text, AppendJsonEscaped);
        m_out.Text() += '"';
    }
    void Hex(std::string_view name, std::uint64_t value) {
        Name(name) += '"';
        AppendHex(m_out.Text(), value);
        m_out.Text() += '"';
    }
    void Number(std::string_view name, std::uint64_t value) { AppendUnsigned(Name(name), value); }
    void Signed(std::string_view name, std::int64_t value) { AppendDecimal(Name(name), value); }
    template <class Value>
    void Number(std::string_view name, const std::optional<Value>& value) {
        if (value) Number(name, static_cast<std::uint64_t>(*value));
        else
            Name(name) += "null";
    }
    void Flags(std::string_view name, const std::optional<std::uint32_t>& flags) {
        std::string& out = Name(name);
        if (!flags) {
            out += "null";
            return;
        }
        out += '"';
        AppendFlags(out, *flags);
        out += '"';
    }
    void Bool(std::string_view name, bool value) { Name(name) += value ? "true" : "false"; }
    void Time(std::string_view name, const TimelineTime& time) {
        std::string& out = Name(name);
        const std::size_t before = out.size();
        out += '"';
        if (AppendTimelineTime(out, time, m_localTime)) {
            out += '"';
        } else {
            out.resize(before);
            out += "null";
        }
    }
    // Timesketch's summary of the record: its kind, status, URL and title.
    void Message(const TimelineFields& fields) {
        Name("message") += '"';
        m_out.Text() += fields.kind;
        if (fields.deleted) m_out.Text() += " (deleted)";
        m_out.Text() += ": ";
        ForEachUtf8Slice(m_out, fields.url, AppendJsonEscaped);
        if (fields.pageTitle.size() >= 2) {
            m_out.Text() += " - ";
            ForEachUtf16Slice(m_out, fields.pageTitle, AppendJsonEscaped);
        }
        m_out.Text() += '"';
    }
    void End() { m_out.Text() += "}\n"; }

private:
    // The names are our own, none with a character to escape.
    std::string& Name(std::string_view name) {
        std::string& out = m_out.Text();
        out += m_first ? "{\"" : ",\"";
        m_first = false;
        out += name;
        out += "\":";
        return out;
    }
    PieceSink& m_out;
    bool m_localTime;
    bool m_first;
};

// One CSV line; absent values are empty fields.
class CsvLineWriter {
public:
    CsvLineWriter(PieceSink& out, bool localTime) : m_out(out), m_localTime(localTime) {}
    void Word(std::string_view, std::string_view text) {
        std::string& out = Next();
        out += '"';
        out += text;
        out += '"';
    }
    void Text(std::string_view, std::string_view text) {
        Next() += '"';
        ForEachUtf8Slice(m_out, text, AppendCsvEscaped);
        m_out.Text() += '"';
    }
    void TextOrNull(std::string_view name, std::string_view text) {
        if (text.empty()) Next();
        else
            Text(name, text);
    }
    void Utf16OrNull(std::string_view, ByteView text) {
        Next();
        if (text.size() < 2) return;
        m_out.Text() += '"';
        ForEachUtf16Slice(m_out, text, AppendCsvEscaped);
        m_out.Text() += '"';
    }
    void Hex(std::string_view, std::uint64_t value) { AppendHex(Next(), value); }
    void Number(std::string_view, std::uint64_t value) { AppendUnsigned(Next(), value); }
    template <class Value>
    void Number(std::string_view, const std::optional<Value>& value) {
        std::string& out = Next();
        if (value) AppendUnsigned(out, static_cast<std::uint64_t>(*value));
    }
    void Flags(std::string_view, const std::optional<std::uint32_t>& flags) {
        std::string& out = Next();
        if (flags) AppendFlags(out, *flags);
    }
    void Bool(std::string_view, bool value) { Next() += value ? "true" : "false"; }
    void Time(std::string_view, const TimelineTime& time) { AppendTimelineTime(Next(), time, m_localTime); }
    void End() { m_out.Text() += "\r\n"; }

private:
    std::string& Next() {
        if (!m_first) m_out.Text() += ',';
        m_first = false;
        return m_out.Text();
    }
    PieceSink& m_out;
    bool m_localTime;
    bool m_first = true;
};

// The CSV header row: the field names.
class CsvHeaderWriter {
public:
    void Word(std::string_view name, std::string_view) { Add(name); }
    void Text(std::string_view name, std::string_view) { Add(name); }
    void TextOrNull(std::string_view name, std::string_view) { Add(name); }
    void Utf16OrNull(std::string_view name, ByteView) { Add(name); }
    void Hex(std::string_view name, std::uint64_t) { Add(name); }
    void Number(std::string_view name, std::uint64_t) { Add(name); }
    template <class Value>
    void Number(std::string_view name, const std::optional<Value>&) {
        Add(name);
    }
    void Flags(std::string_view name, const std::optional<std::uint32_t>&) { Add(name); }
    void Bool(std::string_view name, bool) { Add(name); }
    void Time(std::string_view name, const TimelineTime&) { Add(name); }
    std::string Row() const { return m_row + "\r\n"; }

private:
    void Add(std::string_view name) {
        if (!m_row.empty()) m_row += ',';
        m_row += name;
    }
    std::string m_row;
};

template <typename Writer>
void AppendLine(PieceSink& out, const TimelineFields& fields, bool localTime) {
    Writer writer(out, localTime);
    WriteFields(writer, fields);
    writer.End();
}

// One line per time that is an instant, each with the record's fields; a time that
// repeats an earlier one of the record with the same meaning adds nothing. The summary and
// the fields are the same on each of a record's lines: escaped once where they are small,
// and afresh for each line where they are not, so that memory stays bounded.
void AppendTimesketchLines(PieceSink& out, const TimelineFields& fields, bool localTime) {
    constexpr std::size_t kMostKept = 64 << 10;
    thread_local std::string message, rest;
    enum class Kept : std::uint8_t { NotYet, Yes, TooLarge } kept = Kept::NotYet;
    for (std::size_t i = 0; i < fields.times.size(); ++i) {
        const TimelineTime& time = fields.times[i];
        if (time.form != TimelineTime::Form::Instant) continue;
        const std::string_view description = fields.meanings[i]->timesketchDescription;
        bool repeated = false;
        for (std::size_t j = 0; j < i; ++j)
            repeated =
                repeated || (fields.times[j].form == TimelineTime::Form::Instant && fields.times[j].time == time.time &&
                             fields.meanings[j]->timesketchDescription == description);
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
            JsonLineWriter(messageSink, localTime).Message(fields);
            JsonLineWriter restWriter(restSink, localTime, true);
            WriteFields(restWriter, fields);
            kept = tooLarge ? Kept::TooLarge : Kept::Yes;
        }
        if (kept == Kept::Yes) out.Text() += message;
        JsonLineWriter writer(out, localTime, kept == Kept::Yes);
        if (kept != Kept::Yes) writer.Message(fields);
        writer.Word("datetime", datetime);
        writer.Signed("timestamp", *microseconds);
        writer.Word("timestamp_desc", description);
        writer.Word("data_type", fields.dataType);
        if (kept == Kept::Yes) out.Text() += rest;
        else
            WriteFields(writer, fields);
        writer.End();
        out.Check();
    }
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

// MD5|name|inode|mode_as_string|UID|GID|size|atime|mtime|ctime|crtime, epoch seconds; each
// time in the column nearest its meaning. The body file has no time zone: its times are
// always the UTC instants, and a time on the source's wall clock with no zone is left out.
void AppendBodyLine(PieceSink& sink, const TimelineFields& fields) {
    std::array<std::int64_t, 5> columns{};  // by BodyColumn; 0 is the format's "no time"
    for (std::size_t i = 0; i < fields.times.size(); ++i) {
        if (fields.times[i].form != TimelineTime::Form::Instant) continue;
        if (const std::optional<std::int64_t> instant = InstantOf(fields.times[i].time))
            columns[static_cast<std::size_t>(fields.meanings[i]->bodyColumn)] = *instant;
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

// The lines of one record, by the format.
void AppendRecordLines(PieceSink& out, const TimelineOptions& options, const TimelineFields& fields) {
    switch (options.format) {
        case TimelineFormat::Jsonl: AppendLine<JsonLineWriter>(out, fields, options.localTime); break;
        case TimelineFormat::Bodyfile: AppendBodyLine(out, fields); break;
        case TimelineFormat::Csv: AppendLine<CsvLineWriter>(out, fields, options.localTime); break;
        case TimelineFormat::Timesketch: AppendTimesketchLines(out, fields, options.localTime); break;
    }
    out.Check();
}

// The fields a carved line adds after the record's own, in the order of the header row.
constexpr std::string_view kCarvedFieldNames[] = {"image_offset", "carved_from"};
}  // namespace

std::optional<TimelineFormat> TimelineFormatNamed(std::string_view name) {
    if (name == "jsonl") return TimelineFormat::Jsonl;
    if (name == "bodyfile") return TimelineFormat::Bodyfile;
    if (name == "csv") return TimelineFormat::Csv;
    if (name == "timesketch") return TimelineFormat::Timesketch;
    return std::nullopt;
}

std::string TimelineHeader(TimelineFormat format, std::span<const std::string_view> extraNames) {
    if (format != TimelineFormat::Csv) return {};
    CsvHeaderWriter writer;
    WriteFields(writer, TimelineFields{});
    std::string row = writer.Row();
    row.resize(row.size() - 2);
    for (const std::string_view name : extraNames) (row += ',') += name;
    return row + "\r\n";
}

std::string CarvedHeader(TimelineFormat format) { return TimelineHeader(format, kCarvedFieldNames); }

bool HasTimelineLine(const IndexRecord& record) { return CarriesEvidence(record); }

namespace {
// The source of every line, escaped once for the format.
std::string EscapedSource(TimelineFormat format, std::string_view source) {
    std::string escaped;
    switch (format) {
        case TimelineFormat::Jsonl:
        case TimelineFormat::Timesketch: AppendJsonEscaped(escaped, source); break;
        case TimelineFormat::Bodyfile: AppendBodyEscaped(escaped, source); break;
        case TimelineFormat::Csv: AppendCsvEscaped(escaped, source); break;
    }
    return escaped;
}
}  // namespace

TimelineWriter::TimelineWriter(const TimelineOptions& options, std::string_view source, std::string& text,
                               const TimelineHandOn& handOn, std::size_t pieceSize)
    : m_options(options),
      m_strSource(EscapedSource(options.format, source)),
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
    for (const auto& record : document.Records()) writer.Add(*record, document.OffsetOf(*record), extra);
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
