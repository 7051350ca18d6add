#include "model/RecordEvidence.h"

#include <algorithm>

#include "model/FatTime.h"
#include "model/HistoryData.h"
#include "model/format/UrlRecordLayout.h"

namespace tallowmark {

namespace {
RecordTime FromFileTime(FileTime time) {
    if (time == 0) return {};
    if (time == urlrecord::kFileTimeNever) return {RecordTime::State::Never};
    return {RecordTime::State::Set, time};
}

RecordTime FromFatTime(std::uint32_t value) {
    const FatDateTime decoded = DecodeFatDateTime(value);
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

bool CarriesEvidence(BlockKind kind) {
    return kind == BlockKind::Url || kind == BlockKind::Leak || kind == BlockKind::Redirect;
}

bool CarriesEvidence(const IndexRecord& record) { return CarriesEvidence(record.Kind()); }

RecordTime RecordEvidence::Time(RecordTimeField field) const {
    if (!m_url) return {};
    const ByteView bytes = m_url->Bytes();
    const FormatVersion version = m_url->Version();
    switch (field) {
        case RecordTimeField::Modified: return FromFileTime(m_url->ModifiedFileTime());
        case RecordTimeField::Accessed: return FromFileTime(m_url->AccessedFileTime());
        case RecordTimeField::Expires: {
            const std::uint64_t value = FieldValue(bytes, urlrecord::kExpires, version);
            return urlrecord::kExpires.WidthIn(version) == 8 ? FromFileTime(value)
                                                             : FromFatTime(static_cast<std::uint32_t>(value));
        }
        case RecordTimeField::LastChecked: return FromFatTime(ReadU32(bytes, urlrecord::kLastChecked.In(version)));
        case RecordTimeField::CacheFileCreated:
            return FromFatTime(ReadU32(bytes, urlrecord::kCacheFileCreated.In(version)));
    }
    return {};
}

std::optional<std::uint64_t> RecordEvidence::CachedSize() const {
    if (!m_url) return std::nullopt;
    return FieldValue(m_url->Bytes(), urlrecord::kCachedSize, m_url->Version());
}

std::optional<std::uint32_t> RecordEvidence::Hits() const {
    if (!m_url) return std::nullopt;
    return ReadU32(m_url->Bytes(), urlrecord::kHits.In(m_url->Version()));
}

std::optional<std::uint32_t> RecordEvidence::Flags() const {
    if (!m_url) return std::nullopt;
    return ReadU32(m_url->Bytes(), urlrecord::kFlags.In(m_url->Version()));
}

std::optional<std::uint32_t> RecordEvidence::ExemptDelta() const {
    if (!m_url || !urlrecord::kExemptDelta.IsIn(m_url->Version())) return std::nullopt;
    return ReadU32(m_url->Bytes(), urlrecord::kExemptDelta.In(m_url->Version()));
}

std::optional<std::uint8_t> RecordEvidence::CacheDirectoryIndex() const {
    if (!m_url) return std::nullopt;
    return m_url->CacheDirIndex();
}

ByteView RecordEvidence::DataArea() const { return m_url ? m_url->DataArea() : ByteView(); }

std::string_view RecordEvidence::HttpHeaders() const {
    if (Kind() != EntryKind::Cache) return {};
    return TextAt(DataArea(), 0);
}

std::string_view RecordEvidence::HttpHeadersShown() const {
    if (!m_url || Kind() != EntryKind::Cache) return {};
    const std::string_view text = m_url->HttpHeadersText(), cut = HttpHeaders();
    // The data size ends the headers only where the data begins at the headers' offset.
    return !cut.empty() && cut.data() == text.data() && cut.size() < text.size() ? cut : text;
}

bool RecordEvidence::IsHistory() const {
    return Kind() == EntryKind::History || Kind() == EntryKind::HistoryDaily || Kind() == EntryKind::HistoryWeekly;
}

ByteView RecordEvidence::PageTitle() const {
    return IsHistory() ? HistoryText(DataArea(), kHistoryPageTitle) : ByteView();
}

ByteView RecordEvidence::FileUri() const { return IsHistory() ? HistoryText(DataArea(), kHistoryFileUri) : ByteView(); }

}  // namespace tallowmark
