#include "presentation/Timeline.h"

#include <array>
#include <charconv>

#include "model/IndexStream.h"
#include "presentation/AnsiText.h"

namespace tallowmark {

namespace {
constexpr std::string_view kCsvHeader =
    "source,offset,record,type,url,modified,accessed,cache_directory,cache_file,http_headers,size\r\n";

// The fields of one line, texts already UTF-8.
struct TimelineFields {
    std::string source, type, url, cacheDirectory, cacheFile, httpHeaders;
    std::uint64_t offset = 0, record = 0, size = 0;
    FileTime modified = 0, accessed = 0;
};

TimelineFields FieldsOf(std::string_view sourcePath, const IndexRecord& record, std::uint64_t offset) {
    TimelineFields fields;
    fields.source = TextToUtf8(sourcePath);
    fields.type = std::string(record.TypeName());
    fields.url = TextToUtf8(record.UrlText());
    fields.offset = offset;
    fields.record = record.RecordNumber();
    fields.size = record.Size();
    if (const UrlRecord* url = AsUrlRecord(record)) {
        fields.modified = url->ModifiedFileTime();
        fields.accessed = url->AccessedFileTime();
        fields.cacheDirectory = TextToUtf8(url->CacheDirText());
        fields.cacheFile = TextToUtf8(url->FileNameText());
        fields.httpHeaders = TextToUtf8(url->HttpHeadersText());
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

void AppendJsonString(std::string& out, std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    while (!text.empty()) {
        // Plain runs go out whole; only the characters JSON reserves are spelled out.
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
    out += '"';
}

void AppendJsonTime(std::string& out, FileTime time, bool localTime) {
    std::string text;
    if (AppendIsoTime(text, time, localTime)) AppendJsonString(out, text);
    else out += "null";
}

void AppendJsonLine(std::string& out, const TimelineFields& fields, bool localTime) {
    out += "{\"source\":";
    AppendJsonString(out, fields.source);
    out += ",\"offset\":\"";
    AppendHex(out, fields.offset);
    out += "\",\"record\":";
    AppendDecimal(out, static_cast<std::int64_t>(fields.record));
    out += ",\"type\":";
    AppendJsonString(out, fields.type);
    out += ",\"url\":";
    AppendJsonString(out, fields.url);
    out += ",\"modified\":";
    AppendJsonTime(out, fields.modified, localTime);
    out += ",\"accessed\":";
    AppendJsonTime(out, fields.accessed, localTime);
    out += ",\"cache_directory\":";
    AppendJsonString(out, fields.cacheDirectory);
    out += ",\"cache_file\":";
    AppendJsonString(out, fields.cacheFile);
    out += ",\"http_headers\":";
    AppendJsonString(out, fields.httpHeaders);
    out += ",\"size\":";
    AppendDecimal(out, static_cast<std::int64_t>(fields.size));
    out += "}\n";
}

// RFC 4180: every text between double quotes, a quote inside doubled.
void AppendCsvText(std::string& out, std::string_view text) {
    out += '"';
    for (std::size_t quote; (quote = text.find('"')) != std::string_view::npos; text.remove_prefix(quote + 1)) {
        out.append(text.data(), quote + 1);
        out += '"';
    }
    out.append(text);
    out += '"';
}

void AppendCsvLine(std::string& out, const TimelineFields& fields, bool localTime) {
    AppendCsvText(out, fields.source);
    out += ',';
    AppendHex(out, fields.offset);
    out += ',';
    AppendDecimal(out, static_cast<std::int64_t>(fields.record));
    out += ',';
    AppendCsvText(out, fields.type);
    out += ',';
    AppendCsvText(out, fields.url);
    out += ',';
    AppendIsoTime(out, fields.modified, localTime);
    out += ',';
    AppendIsoTime(out, fields.accessed, localTime);
    out += ',';
    AppendCsvText(out, fields.cacheDirectory);
    out += ',';
    AppendCsvText(out, fields.cacheFile);
    out += ',';
    AppendCsvText(out, fields.httpHeaders);
    out += ',';
    AppendDecimal(out, static_cast<std::int64_t>(fields.size));
    out += "\r\n";
}

// mactime splits on "|" and decodes %XX in every field, so those, the percent sign
// itself and line ends are written as %XX.
void AppendBodyText(std::string& out, std::string_view text) {
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

// MD5|name|inode|mode_as_string|UID|GID|size|atime|mtime|ctime|crtime, epoch seconds.
// The body file has no time zone: its times are always the UTC instants.
void AppendBodyLine(std::string& out, const TimelineFields& fields) {
    out += "0|";
    AppendBodyText(out, fields.url);
    out += " (";
    out += fields.type;
    out += " record ";
    AppendDecimal(out, static_cast<std::int64_t>(fields.record));
    out += " at ";
    AppendHex(out, fields.offset);
    out += " in ";
    AppendBodyText(out, fields.source);
    out += ")|0|0|0|0|";
    AppendDecimal(out, static_cast<std::int64_t>(fields.size));
    out += '|';
    AppendBodyTime(out, fields.accessed);
    out += '|';
    AppendBodyTime(out, fields.modified);
    out += "|0|0\n";
}
}  // namespace

std::optional<TimelineFormat> TimelineFormatNamed(std::string_view name) {
    if (name == "jsonl") return TimelineFormat::Jsonl;
    if (name == "bodyfile") return TimelineFormat::Bodyfile;
    if (name == "csv") return TimelineFormat::Csv;
    return std::nullopt;
}

std::string_view TimelineHeader(TimelineFormat format) {
    return format == TimelineFormat::Csv ? kCsvHeader : std::string_view();
}

bool HasTimelineLine(const IndexRecord& record) {
    return record.IsType(kTypeUrl) || record.IsType(kTypeLeak) || record.IsType(kTypeRedirect);
}

void AppendTimelineLine(std::string& out, const TimelineOptions& options, std::string_view sourcePath,
                        const IndexRecord& record, std::uint64_t offset) {
    const TimelineFields fields = FieldsOf(sourcePath, record, offset);
    switch (options.format) {
        case TimelineFormat::Jsonl: AppendJsonLine(out, fields, options.localTime); break;
        case TimelineFormat::Bodyfile: AppendBodyLine(out, fields); break;
        case TimelineFormat::Csv: AppendCsvLine(out, fields, options.localTime); break;
    }
}

FileTimeline TimelineOfFile(const std::string& path, const TimelineOptions& options, std::string buffer) {
    FileTimeline timeline;
    timeline.text = std::move(buffer);
    timeline.text.clear();
    IndexStream stream;
    timeline.outcome = stream.Open(path);
    if (!timeline.outcome) return timeline;
    timeline.outcome = stream.Walk([&](const IndexRecord& record, std::uint64_t offset) {
        if (!HasTimelineLine(record)) return;
        AppendTimelineLine(timeline.text, options, path, record, offset);
        ++timeline.records;
    });
    return timeline;
}

}  // namespace tallowmark
