#include "model/IndexRecord.h"

#include <algorithm>

#include "model/format/RedirectRecordLayout.h"

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
      m_pHeader(&header) {}

std::string_view IndexRecord::UrlText() const {
    switch (m_kind) {
        case BlockKind::Url:
        case BlockKind::Leak: return UrlRecordText();
        case BlockKind::Redirect: return TextAt(m_bytes, redirectrecord::kUrlText.Offset());
        default: return {};
    }
}

std::string_view IndexRecord::UrlRecordText() const {
    // The text is there only where its offset field names its fixed place.
    constexpr std::size_t kUrlAt = urlrecord::kUrlText.Offset();
    if (ReadU32(m_bytes, urlrecord::kUrlOffset.In(Header().Version())) != kUrlAt) return {};
    return TextAt(m_bytes, kUrlAt);
}

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
    : IndexRecord(header, number, BlockKind::Redirect, bytes, size, marks) {
    SetEntryKind(EntryKindOf(UrlText()));
}

UrlRecord::UrlRecord(const IndexHeader& header, std::uint32_t number, ByteView bytes, std::uint64_t size,
                     RecordMarks marks)
    : UrlRecord(header, BlockKind::Url, number, bytes, size, marks) {}

UrlRecord::UrlRecord(const IndexHeader& header, BlockKind kind, std::uint32_t number, ByteView bytes,
                     std::uint64_t size, RecordMarks marks)
    : IndexRecord(header, number, kind, bytes, size, marks) {
    constexpr std::size_t kUrlAt = urlrecord::kUrlText.Offset();
    const bool hasUrl = ReadU32(Bytes(), urlrecord::kUrlOffset.In(Version())) == kUrlAt;
    // The kind needs the first letters only, not the whole text a load would search for its end.
    constexpr std::size_t kKindLetters = 32;
    const ByteView start = Bytes().subspan(std::min<std::size_t>(kUrlAt, Bytes().size()));
    if (hasUrl && !start.empty() && !IsCachedPageLetter(static_cast<char>(start[0])))
        SetEntryKind(EntryKindOf(TextAt(start.first(std::min(kKindLetters, start.size())), 0)));
}

TimeValue UrlRecord::ModifiedTime() const { return ToTimeValue(ModifiedFileTime()); }

TimeValue UrlRecord::AccessedTime() const { return ToTimeValue(AccessedFileTime()); }

std::string_view UrlRecord::TextAtOffsetField(std::size_t fieldOffset) const {
    const std::uint32_t offset = ReadU32(Bytes(), fieldOffset);
    if (offset <= 8 || offset >= Size()) return {};
    return TextAt(Bytes(), offset);
}

std::string_view UrlRecord::FileNameText() const { return TextAtOffsetField(urlrecord::kFileNameOffset.Offset()); }

std::string_view UrlRecord::HttpHeadersText() const {
    return TextAtOffsetField(urlrecord::kHttpHeadersOffset.Offset());
}

ByteView UrlRecord::DataArea() const {
    const ByteView bytes = Bytes();
    const auto offset = static_cast<std::uint32_t>(FieldValue(bytes, urlrecord::kDataOffset, Version()));
    const auto size = static_cast<std::uint32_t>(FieldValue(bytes, urlrecord::kDataSize, Version()));
    if (offset <= 8 || offset >= bytes.size()) return {};
    return bytes.subspan(offset, std::min<std::size_t>(size, bytes.size() - offset));
}

std::uint8_t UrlRecord::CacheDirIndex() const {
    return static_cast<std::uint8_t>(FieldValue(Bytes(), urlrecord::kCacheDirIndex, Version()));
}

std::string_view UrlRecord::CacheDirText() const {
    return Header().CacheDirName(static_cast<std::int8_t>(CacheDirIndex()));
}

LeakRecord::LeakRecord(const IndexHeader& header, std::uint32_t number, ByteView bytes, std::uint64_t size,
                       RecordMarks marks)
    : UrlRecord(header, BlockKind::Leak, number, bytes, size, marks) {}

std::optional<UrlRecord> AsUrlRecord(const IndexRecord& record) {
    if (record.Kind() == BlockKind::Url || record.Kind() == BlockKind::Leak) return UrlRecord(record);
    return std::nullopt;
}

}  // namespace tallowmark
