#include "presentation/ListText.h"

#include <algorithm>

#include "model/LocalTimeRules.h"
#include "presentation/RecordCells.h"

namespace tallowmark {

namespace {
void AppendCell(std::string& out, const std::string& cell) {
    for (char c : cell) out += (c == '\t' || c == '\r' || c == '\n') ? ' ' : c;
}
}  // namespace

std::string RowsAsTabSeparated(const RowList& rows, const std::vector<int>& columns, bool isVersion4) {
    const LocalTimeBatch sameZoneThroughout;
    std::string out;
    const char* separator = "";
    for (int column : columns) {
        out.append(separator).append(kRecordColumns.at(static_cast<std::size_t>(column)).title);
        separator = "\t";
    }
    out += '\n';
    for (const IndexRecord* record : rows) {
        separator = "";
        for (int column : columns) {
            out += separator;
            AppendCell(out, CellText(*record, column, isVersion4));
            separator = "\t";
        }
        out += '\n';
    }
    return out;
}

std::vector<std::string> LongestCellTexts(const std::vector<std::unique_ptr<IndexRecord>>& records, int column,
                                          bool isVersion4, std::size_t count) {
    std::vector<std::string_view> longest;  // longest first
    if (isVersion4 || (column != kColumnCacheDir && column != kColumnFileName) || count == 0) return {};
    for (const auto& record : records) {
        // The cells show these texts for records of type "URL" only.
        if (!record->IsType(kTypeUrl)) continue;
        const auto& url = static_cast<const UrlRecord&>(*record);
        const std::string_view text = column == kColumnCacheDir ? url.CacheDirText() : url.FileNameText();
        if (text.empty() || (longest.size() == count && text.size() <= longest.back().size())) continue;
        const auto place = std::find_if(longest.begin(), longest.end(),
                                        [&](std::string_view kept) { return kept.size() <= text.size(); });
        if (std::find(place, longest.end(), text) != longest.end()) continue;
        longest.insert(place, text);
        if (longest.size() > count) longest.pop_back();
    }
    return {longest.begin(), longest.end()};
}

std::string RecordCountText(std::size_t count) { return std::to_string(count) + (count == 1 ? " record" : " records"); }

std::string RecordCountText(std::size_t shown, std::size_t total) {
    if (shown == total) return RecordCountText(total);
    return std::to_string(shown) + " of " + RecordCountText(total);
}

}  // namespace tallowmark
