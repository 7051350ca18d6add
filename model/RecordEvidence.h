#pragma once
// What a URL, LEAK or REDR record tells an examiner beyond the list's fields: its status
// and the other marks of the walk, the kind of entry and its user, every time with what
// it means for that kind, the cached file's size, hits, flags, and the data area (the
// HTTP headers of a cached page, the page title and file URI of a visit). The marks are
// kept with the record; the rest is read from its bytes when asked, so it costs nothing
// until then. The cells, the details, the timeline and the carver all read it here. The
// fields the record classes read (the list's times, texts, the directory index, the data
// area) are taken from them; the others are read here, where model/format puts them.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/IndexRecord.h"
#include "model/TimeMeaning.h"

namespace tallowmark {

// URL, LEAK and REDR records; the others carry no entry.
bool CarriesEvidence(BlockKind kind);
bool CarriesEvidence(const IndexRecord& record);

class RecordEvidence {
public:
    explicit RecordEvidence(const IndexRecord& record) : m_record(record), m_url(AsUrlRecord(record)) {}

    RecordStatus Status() const { return m_record.Marks().Status(); }
    bool Hashed() const { return m_record.Marks().Hashed(); }
    bool Partial() const { return m_record.Marks().Partial(); }
    EntryKind Kind() const { return m_record.Marks().Kind(); }
    std::string_view User() const { return UserOf(m_record.UrlText(), Kind()); }

    // The times of URL and LEAK records (a LEAK keeps the URL record's layout); each is
    // absent where its value does not decode.
    RecordTime Time(RecordTimeField field) const;
    const TimeMeaning& Meaning(RecordTimeField field) const { return MeaningOf(Kind(), field); }

    // These of URL and LEAK records alike.
    std::optional<std::uint64_t> CachedSize() const;
    std::optional<std::uint32_t> Hits() const;
    std::optional<std::uint32_t> Flags() const;
    std::optional<std::uint32_t> ExemptDelta() const;  // version 5 only
    // The raw byte that names the cache directory, also where it names none (0xFE, 0xFF).
    std::optional<std::uint8_t> CacheDirectoryIndex() const;

    // The data area, within the record, as long as its data size says.
    ByteView DataArea() const;
    // The response headers of a cached page, ending at the data size; empty for every
    // other kind, whose data is no header text.
    std::string_view HttpHeaders() const;
    // The headers as the details show them: the record's header text, ended at the data
    // size where the data begins with it (the filler after them is no header text).
    std::string_view HttpHeadersShown() const;
    // UTF-16LE texts of a history entry's data; empty for the other kinds.
    ByteView PageTitle() const;
    ByteView FileUri() const;

private:
    bool IsHistory() const;

    IndexRecord m_record;
    std::optional<UrlRecord> m_url;
};

}  // namespace tallowmark
