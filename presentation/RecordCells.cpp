#include "presentation/RecordCells.h"

#include <algorithm>

#include "model/HistoryData.h"
#include "model/RecordEvidence.h"
#include "presentation/AnsiText.h"

namespace tallowmark {

namespace {
std::string TimeCell(const RecordTime& time) {
    switch (time.state) {
        case RecordTime::State::Set: return FormatTime(ToTimeValue(time.time), SHORT_TIME_FORMAT);
        case RecordTime::State::Never: return "never";
        case RecordTime::State::Absent: break;
    }
    return {};
}

// The page title in the code page, character by character.
std::string TitleInCodePage(const RecordEvidence& evidence) {
    const std::string utf8 = Utf16ToUtf8(evidence.PageTitle());
    std::string text;
    for (std::string_view rest = utf8; !rest.empty();) {
        const Utf8Character character = DecodeUtf8(rest);
        const std::size_t length = std::max<std::size_t>(character.length, 1);
        const std::optional<std::string> byte = Utf8ToWindows1252(rest.substr(0, length));
        text += byte ? *byte : std::string(1, kNoCodePageCharacter);
        rest.remove_prefix(length);
    }
    return text;
}

std::string ExtraCellText(const IndexRecord& record, int column) {
    if (!CarriesEvidence(record)) return {};
    const RecordEvidence evidence(record);
    switch (column) {
        case kColumnStatus: return std::string(StatusName(evidence.Status()));
        case kColumnKind: return std::string(EntryKindName(evidence.Kind()));
        case kColumnUser: return std::string(evidence.User());
        case kColumnPageTitle: return TitleInCodePage(evidence);
        case kColumnHits: {
            const auto hits = evidence.Hits();
            return hits ? std::to_string(*hits) : std::string();
        }
        case kColumnCachedSize: {
            const auto size = evidence.CachedSize();
            return size ? SizeText(*size) : std::string();
        }
        case kColumnExpires: return TimeCell(evidence.Time(RecordTimeField::Expires));
        case kColumnLastChecked: return TimeCell(evidence.Time(RecordTimeField::LastChecked));
        default: return {};
    }
}
}  // namespace

std::vector<int> ShownColumns(bool isVersion4, ExtraColumns extras) {
    std::vector<int> columns;
    for (int column = 0; column < ColumnCount(isVersion4); ++column) columns.push_back(column);
    for (int column = kFirstExtraColumn; column < static_cast<int>(kRecordColumns.size()); ++column)
        if (extras & ExtraColumnBit(column)) columns.push_back(column);
    return columns;
}

std::vector<std::string> ExtraColumnTitles(ExtraColumns extras) {
    std::vector<std::string> titles;
    for (int column : ShownColumns(true, extras))
        if (column >= kFirstExtraColumn) titles.emplace_back(kRecordColumns[static_cast<std::size_t>(column)].title);
    return titles;
}

ExtraColumns ExtraColumnsTitled(const std::vector<std::string>& titles) {
    ExtraColumns extras = 0;
    for (int column = kFirstExtraColumn; column < static_cast<int>(kRecordColumns.size()); ++column)
        if (std::find(titles.begin(), titles.end(), kRecordColumns[static_cast<std::size_t>(column)].title) !=
            titles.end())
            extras |= ExtraColumnBit(column);
    return extras;
}

std::string ShownCellText(const IndexRecord& record, int column, bool isVersion4) {
    if (column == kColumnPageTitle)
        return CarriesEvidence(record) ? Utf16ToUtf8(RecordEvidence(record).PageTitle()) : std::string();
    return AnsiToUtf8(CellText(record, column, isVersion4));
}

std::string CellText(const IndexRecord& record, int column, bool isVersion4) {
    if (column >= kFirstExtraColumn) return ExtraCellText(record, column);
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
