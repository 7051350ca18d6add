#pragma once
// What every timeline format builds on: the fields of a record's line as one list, the
// text they grow into, handed on in pieces, and the JSON line the JSON formats share.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "forensic/JsonText.h"
#include "forensic/Timeline.h"
#include "model/EntryKind.h"
#include "model/Format.h"
#include "model/HistoryData.h"
#include "model/TimeMeaning.h"
#include "presentation/AnsiText.h"

namespace tallowmark {

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
inline constexpr std::size_t kTimelineSlice = 64 << 10;

// A record's text goes out as UTF-8: as it is when it is valid UTF-8, else read in the
// ANSI code page, as TextToUtf8 converts it.
template <class Escape>
void ForEachUtf8Slice(PieceSink& out, std::string_view bytes, Escape&& escape) {
    const bool utf8 = IsValidUtf8(bytes);
    while (!bytes.empty()) {
        const std::size_t length =
            utf8 ? std::min(bytes.size(), kTimelineSlice) : AnsiCharactersEnd(bytes, kTimelineSlice);
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
        const std::size_t length = Utf16SliceEnd(utf16, kTimelineSlice);
        slice.clear();
        AppendUtf16AsUtf8(slice, utf16.first(length));
        escape(out.Text(), std::string_view(slice));
        utf16 = utf16.subspan(length);
        out.Check();
    }
}

// A record's time as a line writes it: an instant, or, when the file keeps it on the
// source machine's wall clock and no zone was given, that wall-clock reading.
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
    BlockKind block = BlockKind::Url;
    EntryKind entry = EntryKind::Cache;
    std::array<TimelineTime, kRecordTimeFields.size()> times{};
    std::array<const TimeMeaning*, kRecordTimeFields.size()> meanings{};
    std::optional<std::uint64_t> cachedSize;
    std::optional<std::uint32_t> hits, flags;
    std::optional<std::uint8_t> cacheDirectoryIndex;
    std::span<const TimelineExtraField> extra;
    const CarvedPlace* carved = nullptr;  // set for a record carved from an image
};

void AppendDecimal(std::string& out, std::int64_t value);
void AppendUnsigned(std::string& out, std::uint64_t value);
// "0x" and upper-case digits, as offsets are written.
void AppendHex(std::string& out, std::uint64_t value);
// Entry flags as "0x%08x".
void AppendFlags(std::string& out, std::uint32_t flags);
// The time's text; false, appending nothing, when it has none. A wall-clock time is
// written as that machine's clock read it, with no offset.
bool AppendTimelineTime(std::string& out, const TimelineTime& time, bool localTime);

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
        std::string& out = Key(name);
        out += '"';
        out += text;
        out += '"';
    }
    void Text(std::string_view name, std::string_view text) {
        Key(name) += '"';
        ForEachUtf8Slice(m_out, text, AppendJsonEscaped);
        m_out.Text() += '"';
    }
    void TextOrNull(std::string_view name, std::string_view text) {
        if (text.empty()) Key(name) += "null";
        else
            Text(name, text);
    }
    void Utf16OrNull(std::string_view name, ByteView text) {
        if (text.size() < 2) {
            Key(name) += "null";
            return;
        }
        Key(name) += '"';
        ForEachUtf16Slice(m_out, text, AppendJsonEscaped);
        m_out.Text() += '"';
    }
    void Hex(std::string_view name, std::uint64_t value) {
        Key(name) += '"';
        AppendHex(m_out.Text(), value);
        m_out.Text() += '"';
    }
    void Number(std::string_view name, std::uint64_t value) { AppendUnsigned(Key(name), value); }
    void Signed(std::string_view name, std::int64_t value) { AppendDecimal(Key(name), value); }
    template <class Value>
    void Number(std::string_view name, const std::optional<Value>& value) {
        if (value) Number(name, static_cast<std::uint64_t>(*value));
        else
            Key(name) += "null";
    }
    void Flags(std::string_view name, const std::optional<std::uint32_t>& flags) {
        std::string& out = Key(name);
        if (!flags) {
            out += "null";
            return;
        }
        out += '"';
        AppendFlags(out, *flags);
        out += '"';
    }
    void Bool(std::string_view name, bool value) { Key(name) += value ? "true" : "false"; }
    void Time(std::string_view name, const TimelineTime& time) {
        std::string& out = Key(name);
        const std::size_t before = out.size();
        out += '"';
        if (AppendTimelineTime(out, time, m_localTime)) {
            out += '"';
        } else {
            out.resize(before);
            out += "null";
        }
    }
    void End() { m_out.Text() += "}\n"; }

    // Starts the field `name` (ours, none with a character to escape); the value is the
    // caller's to append, to Sink() where it goes in slices.
    std::string& Key(std::string_view name) {
        std::string& out = m_out.Text();
        out += m_first ? "{\"" : ",\"";
        m_first = false;
        out += name;
        out += "\":";
        return out;
    }
    PieceSink& Sink() { return m_out; }

private:
    PieceSink& m_out;
    bool m_localTime;
    bool m_first;
};

// One line of every field, as `Writer` writes them.
template <typename Writer>
void AppendLine(PieceSink& out, const TimelineFields& fields, bool localTime) {
    Writer writer(out, localTime);
    WriteFields(writer, fields);
    writer.End();
}

}  // namespace tallowmark
