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
    if (!record.IsType(kTypeUrl)) return {};
    const auto& url = static_cast<const UrlRecord&>(record);
    switch (column) {
        case kColumnModified: return FormatTime(url.ModifiedTime(), SHORT_TIME_FORMAT);
        case kColumnAccessed: return FormatTime(url.AccessedTime(), SHORT_TIME_FORMAT);
        case kColumnCacheDir: return isVersion4 ? std::string() : std::string(url.CacheDirText());
        case kColumnFileName: return isVersion4 ? std::string() : std::string(url.FileNameText());
        default: return {};
    }
}

std::string WidestNumberText(const std::vector<std::unique_ptr<IndexRecord>>& records, int column) {
    std::uint64_t largest = 0;
    for (const auto& record : records)
        largest =
            std::max(largest, column == kColumnNumber ? std::uint64_t{record->RecordNumber()} + 1 : record->Size());
    return std::to_string(largest);
}

bool IsShown(const IndexRecord& record, bool viewBlankRecords, bool viewBadfoodRecords) {
    if (!viewBlankRecords && record.IsType(kTypeBlank)) return false;
    if (!viewBadfoodRecords && record.IsType(kTypeBadFood)) return false;
    return true;
}

}  // namespace tallowmark
