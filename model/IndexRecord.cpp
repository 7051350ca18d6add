#include "model/IndexRecord.h"

namespace tallowmark {

std::string_view TypeNameOf(BlockKind kind) {
    switch (kind) {
        case BlockKind::Url: return kTypeUrl;
        case BlockKind::Leak: return kTypeLeak;
        case BlockKind::Hash: return kTypeHash;
        case BlockKind::Redirect: return kTypeRedirect;
        case BlockKind::BadFood: return kTypeBadFood;
        case BlockKind::Blank: return kTypeBlank;
        case BlockKind::Unrecognised: break;
    }
    return {};
}

IndexRecord::IndexRecord(const IndexHeader& header, std::uint32_t number, BlockKind kind, ByteView bytes,
                         std::uint64_t size, RecordMarks marks)
    : m_bytes(bytes.first(std::min<std::uint64_t>(bytes.size(), size))),
      m_qwSize(size),
      m_dwNumber(number),
      m_kind(kind),
      m_marks(marks),
      m_header(header) {}

void IndexRecord::Write(std::ostream& out) const {
    out.write(reinterpret_cast<const char*>(m_bytes.data()), static_cast<std::streamsize>(m_bytes.size()));
}

FillRecord::FillRecord(const IndexHeader& header, std::uint32_t number, BlockKind kind, ByteView bytes,
                       std::uint64_t size, RecordMarks marks)
    : IndexRecord(header, number, kind, bytes, size, marks) {}

HashRecord::HashRecord(const IndexHeader& header, std::uint32_t number, ByteView bytes, std::uint64_t size,
                       RecordMarks marks)
    : IndexRecord(header, number, BlockKind::Hash, bytes, size, marks) {}

RedirectRecord::RedirectRecord(const IndexHeader& header, std::uint32_t number, ByteView bytes, std::uint64_t size,
                               RecordMarks marks)
    : IndexRecord(header, number, BlockKind::Redirect, bytes, size, marks), m_url(TextAt(Bytes(), kRedirectUrlOffset)) {
    SetEntryKind(EntryKindOf(m_url));
}

UrlRecord::UrlRecord(const IndexHeader& header, std::uint32_t number, ByteView bytes, std::uint64_t size,
                     RecordMarks marks)
    : UrlRecord(header, BlockKind::Url, number, bytes, size, marks) {}

UrlRecord::UrlRecord(const IndexHeader& header, BlockKind kind, std::uint32_t number, ByteView bytes,
                     std::uint64_t size, RecordMarks marks)
    : IndexRecord(header, number, kind, bytes, size, marks) {
    const std::size_t field = Header().IsVersion4() ? kUrlOffsetFieldV4 : kUrlOffsetFieldV5;
    m_bHasUrl = ReadU32(Bytes(), field) == kUrlTextOffset;
    // The kind needs the first letters only, not the whole text a load would search for its end.
    constexpr std::size_t kKindLetters = 32;
    const ByteView start = Bytes().subspan(std::min<std::size_t>(kUrlTextOffset, Bytes().size()));
    if (m_bHasUrl && !start.empty() && !IsCachedPageLetter(static_cast<char>(start[0])))
        SetEntryKind(EntryKindOf(TextAt(start.first(std::min(kKindLetters, start.size())), 0)));
}

std::string_view UrlRecord::UrlText() const { return m_bHasUrl ? TextAt(Bytes(), kUrlTextOffset) : std::string_view{}; }

TimeValue UrlRecord::ModifiedTime() const { return ToTimeValue(ModifiedFileTime()); }

TimeValue UrlRecord::AccessedTime() const { return ToTimeValue(AccessedFileTime()); }

std::string_view UrlRecord::TextAtOffsetField(std::size_t fieldOffset) const {
    const std::uint32_t offset = ReadU32(Bytes(), fieldOffset);
    if (offset <= 8 || offset >= Size()) return {};
    return TextAt(Bytes(), offset);
}

std::string_view UrlRecord::FileNameText() const { return TextAtOffsetField(kFileNameOffsetField); }

std::string_view UrlRecord::HttpHeadersText() const { return TextAtOffsetField(kHttpHeadersOffsetField); }

std::uint8_t UrlRecord::CacheDirIndex() const {
    const std::size_t field = Header().IsVersion4() ? kCacheDirIndexV4 : kCacheDirIndexV5;
    return static_cast<std::uint8_t>(ReadU32(Bytes(), field) & 0xFF);
}

std::string_view UrlRecord::CacheDirText() const {
    return Header().CacheDirName(static_cast<std::int8_t>(CacheDirIndex()));
}

LeakRecord::LeakRecord(const IndexHeader& header, std::uint32_t number, ByteView bytes, std::uint64_t size,
                       RecordMarks marks)
    : UrlRecord(header, BlockKind::Leak, number, bytes, size, marks) {}

std::unique_ptr<IndexRecord> MakeRecord(BlockKind kind, const IndexHeader& header, std::uint32_t number, ByteView held,
                                        std::uint64_t size, RecordMarks marks) {
    switch (kind) {
        case BlockKind::Url: return std::make_unique<UrlRecord>(header, number, held, size, marks);
        case BlockKind::Leak: return std::make_unique<LeakRecord>(header, number, held, size, marks);
        case BlockKind::Hash: return std::make_unique<HashRecord>(header, number, held, size, marks);
        case BlockKind::Redirect: return std::make_unique<RedirectRecord>(header, number, held, size, marks);
        case BlockKind::BadFood: return std::make_unique<FillRecord>(header, number, kind, held, size, marks);
        case BlockKind::Blank: return std::make_unique<FillRecord>(header, number, kind, held, size, marks);
        case BlockKind::Unrecognised: break;
    }
    return nullptr;
}

const UrlRecord* AsUrlRecord(const IndexRecord& record) {
    if (record.Kind() == BlockKind::Url || record.Kind() == BlockKind::Leak)
        return static_cast<const UrlRecord*>(&record);
    return nullptr;
}

}  // namespace tallowmark
