#include "presentation/ListText.h"

#include <algorithm>

#include "model/LocalTimeRules.h"
#include "presentation/AnsiText.h"
#include "presentation/PathText.h"
#include "presentation/RecordCells.h"

namespace tallowmark {

namespace {
void AppendCell(std::string& out, const std::string& cell) {
    for (char c : cell) out += (c == '\t' || c == '\r' || c == '\n') ? ' ' : c;
}
}  // namespace

std::string RowsAsTabSeparated(const TallowmarkDoc& document, const RowList& rows, const std::vector<int>& columns,
                               bool isVersion4) {
    const LocalTimeBatch sameZoneThroughout;
    std::string out;
    const char* separator = "";
    for (int column : columns) {
        const Column* info = ColumnOf(column);
        out.append(separator).append(info ? info->title : "");
        separator = "\t";
    }
    out += '\n';
    for (std::uint32_t row : rows) {
        const IndexRecord record = document.Record(row);
        separator = "";
        for (int column : columns) {
            out += separator;
            AppendCell(out, ShownCellText(record, column, isVersion4));
            separator = "\t";
        }
        out += '\n';
    }
    return out;
}

CacheNameTexts CacheNameCandidates(const RecordRange& records, bool isVersion4,
                                   std::size_t count) {
    std::vector<std::string_view> dirs;   // the names lie in the header's table: one place per directory
    std::vector<std::string_view> names;  // longest first
    if (isVersion4) return {};
    for (const auto& record : records) {
        const auto cached = WithCacheColumns(record, isVersion4);
        if (!cached) continue;
        const auto& url = *cached;
        const std::string_view dir = url.CacheDirText();
        if (!dir.empty() &&
            std::none_of(dirs.begin(), dirs.end(), [&](std::string_view kept) { return kept.data() == dir.data(); }))
            dirs.push_back(dir);
        const std::string_view name = url.FileNameText();
        if (count == 0 || name.empty() || (names.size() == count && name.size() <= names.back().size())) continue;
        const auto place =
            std::find_if(names.begin(), names.end(), [&](std::string_view kept) { return kept.size() <= name.size(); });
        if (std::find(place, names.end(), name) != names.end()) continue;
        names.insert(place, name);
        if (names.size() > count) names.pop_back();
    }
    return {{dirs.begin(), dirs.end()}, {names.begin(), names.end()}};
}

std::vector<std::vector<std::string>> TextsToFit(const TallowmarkDoc& document, std::size_t count) {
    std::vector<std::vector<std::string>> texts(kRecordColumns.size());
    const RecordRange records = document.Records();
    texts[kColumnNumber] = {MarksOfAny(records).NumberMark() + WidestNumberText(records, kColumnNumber)};
    texts[kColumnSize] = {WidestNumberText(records, kColumnSize)};
    const CacheNameTexts names = CacheNameCandidates(records, document.IsVersion4(), count);
    for (const std::string& dir : names.cacheDirs) texts[kColumnCacheDir].push_back(AnsiToUtf8(dir));
    for (const std::string& name : names.fileNames) texts[kColumnFileName].push_back(AnsiToUtf8(name));
    return texts;
}

namespace {
std::string Digits(std::size_t count, CountDigits digits) { return digits ? digits(count) : std::to_string(count); }
}  // namespace

std::string RecordCountText(std::size_t count, CountDigits digits) {
    return Digits(count, digits) + (count == 1 ? " record" : " records");
}

std::string RecordCountText(std::size_t shown, std::size_t total, CountDigits digits) {
    if (shown == total) return RecordCountText(total, digits);
    return Digits(shown, digits) + " of " + RecordCountText(total, digits);
}

std::string OpeningText(const std::string& path, std::uint64_t done, std::uint64_t total) {
    const std::uint64_t percent = total == 0 ? 0 : std::min<std::uint64_t>(done, total) * 100 / total;
    return "Opening " + PathDisplayText(path) + "... " + std::to_string(percent) + "%";
}

}  // namespace tallowmark
