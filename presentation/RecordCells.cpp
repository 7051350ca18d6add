#include "presentation/RecordCells.h"

#include <algorithm>

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

}  // namespace tallowmark
