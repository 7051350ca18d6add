#include "forensic/CsvTimeline.h"

#include "forensic/TimelineFields.h"

namespace tallowmark {

namespace {
// RFC 4180: every text between double quotes, a quote inside doubled.
void AppendCsvEscaped(std::string& out, std::string_view text) {
    for (std::size_t quote; (quote = text.find('"')) != std::string_view::npos; text.remove_prefix(quote + 1)) {
        out.append(text.data(), quote + 1);
        out += '"';
    }
    out.append(text);
}

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
    const std::string& Row() const { return m_row; }

private:
    void Add(std::string_view name) {
        if (!m_row.empty()) m_row += ',';
        m_row += name;
    }
    std::string m_row;
};
}  // namespace

std::string CsvTimeline::Header(std::span<const std::string_view> extraNames) const {
    CsvHeaderWriter writer;
    WriteFields(writer, TimelineFields{});
    std::string row = writer.Row();
    for (const std::string_view name : extraNames) (row += ',') += name;
    return row + "\r\n";
}

std::string CsvTimeline::EscapedSource(std::string_view source) const {
    std::string escaped;
    AppendCsvEscaped(escaped, source);
    return escaped;
}

void CsvTimeline::AppendLines(PieceSink& out, const TimelineFields& fields, bool localTime) const {
    AppendLine<CsvLineWriter>(out, fields, localTime);
}

}  // namespace tallowmark
