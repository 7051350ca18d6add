#include "presentation/RecordCells.h"

#include <algorithm>

#include "model/RecordEvidence.h"

namespace tallowmark {

std::string CellText(const IndexRecord& record, int column, bool isVersion4) {
    switch (column) {
        case kColumnNumber: return std::to_string(static_cast<std::uint64_t>(record.RecordNumber()) + 1);
        case kColumnType: return std::string(record.TypeName());
        case kColumnData: return std::string(record.UrlText());
        case kColumnSize: return SizeText(record.Size());
        default: break;
    }
    const UrlRecord* url = WithTimeColumns(record);
    if (!url) return {};
    switch (column) {
        case kColumnModified: return FormatTime(url->ModifiedTime(), SHORT_TIME_FORMAT);
        case kColumnAccessed: return FormatTime(url->AccessedTime(), SHORT_TIME_FORMAT);
        default: break;
    }
    const UrlRecord* cached = WithCacheColumns(record, isVersion4);
    if (!cached) return {};
    return std::string(column == kColumnCacheDir ? cached->CacheDirText() : cached->FileNameText());
}

std::string WidestNumberText(const std::vector<std::unique_ptr<IndexRecord>>& records, int column) {
    std::uint64_t largest = 0;
    for (const auto& record : records)
        largest =
            std::max(largest, column == kColumnNumber ? std::uint64_t{record->RecordNumber()} + 1 : record->Size());
    return std::to_string(largest);
}

RowLook LookOf(const IndexRecord& record, bool markDeletedRecords) {
    // Blank and filler blocks are free by nature: only entries are deleted.
    if (!markDeletedRecords || !CarriesEvidence(record)) return {};
    const RecordMarks marks = record.Marks();
    return {marks.Status() == RecordStatus::Deleted, marks.Partial()};
}

std::string RowLook::NumberMark() const {
    if (Plain()) return {};
    std::string mark;
    if (deleted) mark += kDeletedMark;
    if (partial) mark += kPartialMark;
    return mark + " ";
}

std::string RowLook::Tooltip() const {
    std::string tip;
    if (deleted) tip = std::string(kDeletedMark) + " Deleted: the allocation bitmap marks this record's blocks free";
    if (partial) {
        if (!tip.empty()) tip += "\n";
        tip += std::string(kPartialMark) + " Partial: cut short where another record begins";
    }
    return tip;
}

}  // namespace tallowmark
