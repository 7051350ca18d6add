#include "forensic/Timeline.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <limits>
#include <new>

#include "model/IndexStream.h"
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

// A record's text goes out as UTF-8: as it is when it is valid UTF-8, else read in the
// ANSI code page, as TextToUtf8 converts it. A long text goes in slices straight from the
// record's bytes, so no converted copy of it is ever made whole; every escape a line
// uses works byte by byte, so slices may end anywhere between characters.
template <class Escape>
void ForEachUtf8Slice(PieceSink& out, std::string_view bytes, Escape&& escape) {
    constexpr std::size_t kSlice = 64 << 10;
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

// The fields of one line: texts as the record holds them, but the source path, which is
// UTF-8 already.
struct TimelineFields {
    std::string_view source, type, url, cacheDirectory, cacheFile, httpHeaders;
    std::uint64_t offset = 0, record = 0, size = 0;
    FileTime modified = 0, accessed = 0;
    const CarvedPlace* carved = nullptr;  // set for a record carved from an image
    std::string carvedFrom;
};

TimelineFields FieldsOf(std::string_view source, const IndexRecord& record, std::uint64_t offset) {
    TimelineFields fields;
    fields.source = source;
    fields.type = record.TypeName();
    fields.url = record.UrlText();
    fields.offset = offset;
    fields.record = record.RecordNumber();
    fields.size = record.Size();
    if (const UrlRecord* url = AsUrlRecord(record)) {
        fields.modified = url->ModifiedFileTime();
        fields.accessed = url->AccessedFileTime();
        fields.cacheDirectory = url->CacheDirText();
        fields.cacheFile = url->FileNameText();
        fields.httpHeaders = url->HttpHeadersText();
    }
    return fields;
}

void AppendDecimal(std::string& out, std::int64_t value) {
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

bool NeedsJsonEscape(char c) { return c == '"' || c == '\\' || static_cast<unsigned char>(c) < 0x20; }

// The characters JSON reserves, spelled out; the quotes go around it elsewhere.
void AppendJsonEscaped(std::string& out, std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    while (!text.empty()) {
        // Plain runs go out whole.
        std::size_t run = 0;
        while (run < text.size() && !NeedsJsonEscape(text[run])) ++run;
        out.append(text.data(), run);
        text.remove_prefix(run);
        if (text.empty()) break;
        const char c = text.front();
        text.remove_prefix(1);
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default: {
                const auto byte = static_cast<unsigned char>(c);
                const char escape[] = {'\\', 'u', '0', '0', kHex[byte >> 4], kHex[byte & 0xF]};
                out.append(escape, sizeof escape);
            }
        }
    }
}

void AppendJsonString(std::string& out, std::string_view text) {
    out += '"';
    AppendJsonEscaped(out, text);
    out += '"';
}

void AppendJsonTime(std::string& out, FileTime time, bool localTime) {
    std::string text;
    if (AppendIsoTime(text, time, localTime)) AppendJsonString(out, text);
    else
        out += "null";
}

// The fields of a JSON or CSV line, named and in order: the one list both formats and
// the CSV header row follow.
template <typename Writer>
void WriteFields(Writer& writer, const TimelineFields& fields) {
    const CarvedPlace* carved = fields.carved;
    writer.Text("source", fields.source);
    writer.Hex("offset", fields.offset);
    if (carved && !carved->fileOffset) writer.Absent("record");
    else
        writer.Number("record", fields.record);
    writer.Text("type", fields.type);
    if (carved) {
        writer.Text("status", carved->status);
        writer.Flag("partial", carved->partial);
    }
    writer.Text("url", fields.url);
    writer.Time("modified", fields.modified);
    writer.Time("accessed", fields.accessed);
    writer.Text("cache_directory", fields.cacheDirectory);
    writer.Text("cache_file", fields.cacheFile);
    writer.Text("http_headers", fields.httpHeaders);
    writer.Number("size", fields.size);
    if (carved) {
        writer.Hex("image_offset", carved->imageOffset);
        writer.Text("carved_from", fields.carvedFrom);
    }
}

// {"name":value,...}: texts as JSON strings, the offset as a hex string, absent times null.
class JsonLineWriter {
public:
    JsonLineWriter(PieceSink& out, bool localTime) : m_out(out), m_localTime(localTime) {}
    void Text(std::string_view name, std::string_view text) {
        Name(name) += '"';
        ForEachUtf8Slice(m_out, text, AppendJsonEscaped);
        m_out.Text() += '"';
    }
    void Hex(std::string_view name, std::uint64_t value) {
        Name(name) += '"';
        AppendHex(m_out.Text(), value);
        m_out.Text() += '"';
    }
    void Number(std::string_view name, std::uint64_t value) {
        AppendDecimal(Name(name), static_cast<std::int64_t>(value));
    }
    void Time(std::string_view name, FileTime time) { AppendJsonTime(Name(name), time, m_localTime); }
    void Flag(std::string_view name, bool value) { Name(name) += value ? "true" : "false"; }
    void Absent(std::string_view name) { Name(name) += "null"; }
    void End() { m_out.Text() += "}\n"; }

private:
    std::string& Name(std::string_view name) {
        std::string& out = m_out.Text();
        out += m_first ? '{' : ',';
        m_first = false;
        AppendJsonString(out, name);
        out += ':';
        return out;
    }
    PieceSink& m_out;
    bool m_localTime;
    bool m_first = true;
};

// RFC 4180: every text between double quotes, a quote inside doubled.
void AppendCsvEscaped(std::string& out, std::string_view text) {
    for (std::size_t quote; (quote = text.find('"')) != std::string_view::npos; text.remove_prefix(quote + 1)) {
        out.append(text.data(), quote + 1);
        out += '"';
    }
    out.append(text);
}

// One CSV line; absent times are empty fields.
class CsvLineWriter {
public:
    CsvLineWriter(PieceSink& out, bool localTime) : m_out(out), m_localTime(localTime) {}
    void Text(std::string_view, std::string_view text) {
        Next() += '"';
        ForEachUtf8Slice(m_out, text, AppendCsvEscaped);
        m_out.Text() += '"';
    }
    void Hex(std::string_view, std::uint64_t value) { AppendHex(Next(), value); }
    void Number(std::string_view, std::uint64_t value) { AppendDecimal(Next(), static_cast<std::int64_t>(value)); }
    void Time(std::string_view, FileTime time) { AppendIsoTime(Next(), time, m_localTime); }
    void Flag(std::string_view, bool value) { Next() += value ? "true" : "false"; }
    void Absent(std::string_view) { Next(); }
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
    void Text(std::string_view name, std::string_view) { Add(name); }
    void Hex(std::string_view name, std::uint64_t) { Add(name); }
    void Number(std::string_view name, std::uint64_t) { Add(name); }
    void Time(std::string_view name, FileTime) { Add(name); }
    void Flag(std::string_view name, bool) { Add(name); }
    void Absent(std::string_view name) { Add(name); }
    std::string Row() const { return m_row + "\r\n"; }

private:
    void Add(std::string_view name) {
        if (!m_row.empty()) m_row += ',';
        m_row += name;
    }
    std::string m_row;
};

std::string CsvHeaderOf(const CarvedPlace* carved) {
    CsvHeaderWriter writer;
    TimelineFields fields;
    fields.carved = carved;
    WriteFields(writer, fields);
    return writer.Row();
}

const std::string& CsvHeader() {
    static const std::string header = CsvHeaderOf(nullptr);
    return header;
}

template <typename Writer>
void AppendLine(PieceSink& out, const TimelineFields& fields, bool localTime) {
    Writer writer(out, localTime);
    WriteFields(writer, fields);
    writer.End();
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

void AppendBodyTime(std::string& out, FileTime time) {
    const std::optional<std::int64_t> instant = InstantOf(time);
    AppendDecimal(out, instant.value_or(0));  // 0 is the format's "no time"
}

// "deleted URL record 3 of the index file at 0x10000, carved at 0x10A00", "URL record
// carved at 0x10A00".
void AppendCarvedName(std::string& out, const TimelineFields& fields, const CarvedPlace& carved) {
    if (carved.status == "deleted") out += "deleted ";
    if (carved.partial) out += "partial ";
    out += fields.type;
    out += " record ";
    if (carved.fileOffset) {
        AppendDecimal(out, static_cast<std::int64_t>(fields.record));
        out += " of the index file at ";
        AppendHex(out, *carved.fileOffset);
        out += ",";
    }
    out += " carved at ";
    AppendHex(out, carved.imageOffset);
}

// MD5|name|inode|mode_as_string|UID|GID|size|atime|mtime|ctime|crtime, epoch seconds.
// The body file has no time zone: its times are always the UTC instants.
void AppendBodyLine(PieceSink& sink, const TimelineFields& fields) {
    std::string& out = sink.Text();
    out += "0|";
    ForEachUtf8Slice(sink, fields.url, AppendBodyEscaped);
    out += " (";
    if (const CarvedPlace* carved = fields.carved) {
        AppendCarvedName(out, fields, *carved);
    } else {
        out += fields.type;
        out += " record ";
        AppendDecimal(out, static_cast<std::int64_t>(fields.record));
        out += " at ";
        AppendHex(out, fields.offset);
    }
    out += " in ";
    ForEachUtf8Slice(sink, fields.source, AppendBodyEscaped);
    out += ")|0|0|0|0|";
    AppendDecimal(out, static_cast<std::int64_t>(fields.size));
    out += '|';
    AppendBodyTime(out, fields.accessed);
    out += '|';
    AppendBodyTime(out, fields.modified);
    out += "|0|0\n";
}

void AppendTimelineLine(PieceSink& out, const TimelineOptions& options, const TimelineFields& fields) {
    switch (options.format) {
        case TimelineFormat::Jsonl: AppendLine<JsonLineWriter>(out, fields, options.localTime); break;
        case TimelineFormat::Bodyfile: AppendBodyLine(out, fields); break;
        case TimelineFormat::Csv: AppendLine<CsvLineWriter>(out, fields, options.localTime); break;
    }
}
}  // namespace

std::optional<TimelineFormat> TimelineFormatNamed(std::string_view name) {
    if (name == "jsonl") return TimelineFormat::Jsonl;
    if (name == "bodyfile") return TimelineFormat::Bodyfile;
    if (name == "csv") return TimelineFormat::Csv;
    return std::nullopt;
}

std::string_view TimelineHeader(TimelineFormat format) {
    return format == TimelineFormat::Csv ? std::string_view(CsvHeader()) : std::string_view();
}

void AppendCarvedLine(std::string& out, const TimelineOptions& options, std::string_view source,
                      const IndexRecord& record, std::uint64_t offset, std::optional<std::uint32_t> number,
                      const CarvedPlace& place) {
    TimelineFields fields = FieldsOf(source, record, offset);
    fields.record = number.value_or(0);
    fields.carved = &place;
    if (place.fileOffset) {
        fields.carvedFrom = "file ";
        AppendHex(fields.carvedFrom, *place.fileOffset);
    } else {
        fields.carvedFrom = "loose";
    }
    const TimelineHandOn keep = [](std::string&) {};
    PieceSink sink(out, std::numeric_limits<std::size_t>::max(), keep);
    AppendTimelineLine(sink, options, fields);
}

std::string_view CarvedHeader(TimelineFormat format) {
    static const CarvedPlace place;
    static const std::string header = CsvHeaderOf(&place);
    return format == TimelineFormat::Csv ? std::string_view(header) : std::string_view();
}

bool HasTimelineLine(const IndexRecord& record) {
    return record.Kind() == BlockKind::Url || record.Kind() == BlockKind::Leak || record.Kind() == BlockKind::Redirect;
}

FileTimeline TimelineOfFile(const std::string& path, const TimelineOptions& options, const TimelineHandOn& handOn,
                            std::string buffer, std::size_t pieceSize) {
    FileTimeline timeline;
    timeline.text = std::move(buffer);
    timeline.text.clear();
    PieceSink out(timeline.text, pieceSize, handOn);
    IndexStream stream;
    timeline.outcome = stream.Open(path);
    if (!timeline.outcome) return timeline;
    const std::string source = TextToUtf8(path);
    try {
        timeline.outcome = stream.Walk([&](const IndexRecord& record, std::uint64_t offset) {
            if (!HasTimelineLine(record)) return;
            AppendTimelineLine(out, options, FieldsOf(source, record, offset));
            out.Check();
            ++timeline.records;
        });
    } catch (const std::bad_alloc&) {
        // The lines made so far still go out; the file is named as failed.
        timeline.outcome = Outcome::Failure(kMsgFailedToOpen);
    }
    return timeline;
}

}  // namespace tallowmark
