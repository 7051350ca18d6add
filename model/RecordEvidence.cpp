#include "model/RecordEvidence.h"

#include <algorithm>

#include "model/FatTime.h"
#include "model/HistoryData.h"

namespace tallowmark {

namespace {
RecordTime FileTimeAt(ByteView bytes, std::size_t offset) {
    const FileTime time = ReadU64(bytes, offset);
    if (time == 0) return {};
    if (time == kFileTimeNever) return {RecordTime::State::Never};
    return {RecordTime::State::Set, time};
}

RecordTime FatTimeAt(ByteView bytes, std::size_t offset) {
    const FatDateTime decoded = DecodeFatDateTime(ReadU32(bytes, offset));
    switch (decoded.state) {
        case FatDateTime::State::Never: return {RecordTime::State::Never};
        case FatDateTime::State::Set: return {RecordTime::State::Set, decoded.time, true};
        case FatDateTime::State::Unset:
        case FatDateTime::State::Invalid: break;
    }
    return {};
}
}  // namespace

std::string_view StatusName(RecordStatus status) {
    switch (status) {
        case RecordStatus::Live: return "live";
        case RecordStatus::Deleted: return "deleted";
        case RecordStatus::Unknown: break;
    }
    return "unknown";
}

bool CarriesEvidence(const IndexRecord& record) {
    return record.Kind() == BlockKind::Url || record.Kind() == BlockKind::Leak || record.Kind() == BlockKind::Redirect;
}

RecordTime RecordEvidence::Time(RecordTimeField field) const {
    if (!m_url) return {};
    const ByteView bytes = m_url->Bytes();
    const UrlFieldLayout& layout = m_url->FieldLayout();
    switch (field) {
        case RecordTimeField::Modified: return FileTimeAt(bytes, kModifiedTimeOffset);
        case RecordTimeField::Accessed: return FileTimeAt(bytes, kAccessedTimeOffset);
        case RecordTimeField::Expires:
            return layout.expiresIsFileTime ? FileTimeAt(bytes, layout.expires) : FatTimeAt(bytes, layout.expires);
        case RecordTimeField::LastChecked: return FatTimeAt(bytes, layout.lastChecked);
        case RecordTimeField::CacheFileCreated: return FatTimeAt(bytes, layout.cacheFileCreated);
    }
    return {};
}

std::optional<std::uint64_t> RecordEvidence::CachedSize() const {
    if (!m_url) return std::nullopt;
    const UrlFieldLayout& layout = m_url->FieldLayout();
    return layout.cachedSizeWidth == 8 ? ReadU64(m_url->Bytes(), layout.cachedSize)
                                       : ReadU32(m_url->Bytes(), layout.cachedSize);
}

std::optional<std::uint32_t> RecordEvidence::Hits() const {
    if (!m_url) return std::nullopt;
    return ReadU32(m_url->Bytes(), m_url->FieldLayout().hits);
}

std::optional<std::uint32_t> RecordEvidence::Flags() const {
    if (!m_url) return std::nullopt;
    return ReadU32(m_url->Bytes(), m_url->FieldLayout().flags);
}

std::optional<std::uint32_t> RecordEvidence::ExemptDelta() const {
    if (!m_url || m_url->FieldLayout().exemptDelta == 0) return std::nullopt;
    return ReadU32(m_url->Bytes(), m_url->FieldLayout().exemptDelta);
}

std::optional<std::uint8_t> RecordEvidence::CacheDirectoryIndex() const {
    if (!m_url) return std::nullopt;
    return m_url->CacheDirIndex();
}

ByteView RecordEvidence::DataArea() const {
    if (!m_url) return {};
    const ByteView bytes = m_url->Bytes();
    const UrlFieldLayout& layout = m_url->FieldLayout();
    const std::uint32_t offset = ReadU32(bytes, layout.dataOffset), size = ReadU32(bytes, layout.dataSize);
    // The same rule as the list's texts: past the record's first 8 bytes and inside it.
    if (offset <= 8 || offset >= bytes.size()) return {};
    return bytes.subspan(offset, std::min<std::size_t>(size, bytes.size() - offset));
}

std::string_view RecordEvidence::HttpHeaders() const {
    if (Kind() != EntryKind::Cache) return {};
    const ByteView data = DataArea();
    return TextAt(data, 0);
}

bool RecordEvidence::IsHistory() const {
    return Kind() == EntryKind::History || Kind() == EntryKind::HistoryDaily || Kind() == EntryKind::HistoryWeekly;
}

ByteView RecordEvidence::PageTitle() const {
    return IsHistory() ? HistoryText(DataArea(), kHistoryPageTitle) : ByteView();
}

ByteView RecordEvidence::FileUri() const { return IsHistory() ? HistoryText(DataArea(), kHistoryFileUri) : ByteView(); }

}  // namespace tallowmark
