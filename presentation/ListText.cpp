#include "presentation/ListText.h"

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

std::string RecordCountText(std::size_t count) { return std::to_string(count) + (count == 1 ? " record" : " records"); }

std::string RecordCountText(std::size_t shown, std::size_t total) {
    if (shown == total) return RecordCountText(total);
    return std::to_string(shown) + " of " + RecordCountText(total);
}

}  // namespace tallowmark
