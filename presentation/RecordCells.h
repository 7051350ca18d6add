#pragma once
// What the record list shows: its columns and the text of every cell. The one column table
// the cells, the sort, the filter, the row set and the Qt model read.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/IndexRecord.h"

namespace tallowmark {

enum class CellAlignment { Left, Right };

struct ColumnInfo {
    const char* title;
    int width;  // pixels
    CellAlignment alignment;
};

inline constexpr int kColumnNumber = 0;
inline constexpr int kColumnType = 1;
inline constexpr int kColumnData = 2;
inline constexpr int kColumnSize = 3;
inline constexpr int kColumnModified = 4;
inline constexpr int kColumnAccessed = 5;
inline constexpr int kColumnCacheDir = 6;
inline constexpr int kColumnFileName = 7;
// The columns a list shows only when chosen, from the header's menu: what the evidence
// layer reads of an entry (model/RecordEvidence.h).
inline constexpr int kColumnStatus = 8;
inline constexpr int kColumnKind = 9;
inline constexpr int kColumnUser = 10;
inline constexpr int kColumnPageTitle = 11;
inline constexpr int kColumnHits = 12;
inline constexpr int kColumnCachedSize = 13;
inline constexpr int kColumnExpires = 14;
inline constexpr int kColumnLastChecked = 15;
inline constexpr int kFirstExtraColumn = kColumnStatus;

inline constexpr std::array<ColumnInfo, 16> kRecordColumns = {{
    {"No.", 50, CellAlignment::Right},
    {"Type", 80, CellAlignment::Left},
    {"Data", 400, CellAlignment::Left},
    {"Size", 50, CellAlignment::Right},
    {"Modified Date", 110, CellAlignment::Left},
    {"Accessed Date", 110, CellAlignment::Left},
    {"Cache Dir", 75, CellAlignment::Left},
    {"Filename", 110, CellAlignment::Left},
    {"Status", 65, CellAlignment::Left},
    {"Kind", 95, CellAlignment::Left},
    {"User", 90, CellAlignment::Left},
    {"Page Title", 250, CellAlignment::Left},
    {"Hits", 45, CellAlignment::Right},
    {"Cached Size", 80, CellAlignment::Right},
    {"Expires", 110, CellAlignment::Left},
    {"Last Checked", 110, CellAlignment::Left},
}};
inline constexpr int kExtraColumnCount = static_cast<int>(kRecordColumns.size()) - kFirstExtraColumn;

// A choice of extra columns: bit n shows the column kFirstExtraColumn + n.
using ExtraColumns = std::uint8_t;
static_assert(kExtraColumnCount <= 8);
inline constexpr ExtraColumns ExtraColumnBit(int column) {
    return static_cast<ExtraColumns>(1u << (column - kFirstExtraColumn));
}
// The columns a list shows, in the table's order: the classic ones of its version, then the
// chosen extra ones.
std::vector<int> ShownColumns(bool isVersion4, ExtraColumns extras);
// The choice as the titles of its columns, as the settings keep it, and back; an unknown
// title is passed over.
std::vector<std::string> ExtraColumnTitles(ExtraColumns extras);
ExtraColumns ExtraColumnsTitled(const std::vector<std::string>& titles);

// Version-4 files have no "Cache Dir" and "Filename" columns, the last two classic ones.
// The classic columns of a list of that version.
inline int ColumnCount(bool isVersion4) { return isVersion4 ? kColumnCacheDir : kFirstExtraColumn; }

// Which rows fill the time and cache columns: only records of type exactly "URL" (a LEAK
// record shows its number, type, URL and size alone), and the cache columns never in a
// version-4 file. The list, its filter, Copy and the CSV all ask here.
inline const UrlRecord* WithTimeColumns(const IndexRecord& record) {
    return record.Kind() == BlockKind::Url ? static_cast<const UrlRecord*>(&record) : nullptr;
}
inline const UrlRecord* WithCacheColumns(const IndexRecord& record, bool isVersion4) {
    return isVersion4 ? nullptr : WithTimeColumns(record);
}

// The text of one cell, in the record texts' code page; the characters of a page title
// that the code page lacks are each kNoCodePageCharacter there, which no typed text holds.
std::string CellText(const IndexRecord& record, int column, bool isVersion4);
inline constexpr char kNoCodePageCharacter = '\x01';
// The text of one cell as the list shows it, in UTF-8.
std::string ShownCellText(const IndexRecord& record, int column, bool isVersion4);

// The text of the largest value any of `records` shows in the numeric column `column`
// (kColumnNumber or kColumnSize), for sizing that column.
std::string WidestNumberText(const std::vector<std::unique_ptr<IndexRecord>>& records, int column);

// The viewing options: which of the records that carry nothing a list shows, whether it
// draws deleted records apart, and which extra columns it shows.
struct ViewOptions {
    bool viewBlankRecords = true;
    bool viewBadfoodRecords = true;
    bool markDeletedRecords = true;
    ExtraColumns extraColumns = 0;

    // Whether a row is made for the record.
    bool Shows(const IndexRecord& record) const {
        if (record.Kind() == BlockKind::Blank) return viewBlankRecords;
        if (record.Kind() == BlockKind::BadFood) return viewBadfoodRecords;
        return true;
    }
    // Whether a list with `other` holds the same rows.
    bool SameRows(const ViewOptions& other) const {
        return viewBlankRecords == other.viewBlankRecords && viewBadfoodRecords == other.viewBadfoodRecords;
    }
    bool operator==(const ViewOptions&) const = default;
};

// How a row is drawn while the list marks deleted records: a deleted record muted and in
// italics with kDeletedMark in its "No." cell, a partial one (its claim cut short where
// another record begins) with kPartialMark. Only URL, LEAK and REDR records are marked (a
// blank block is free by nature), and a record of unknown status is drawn plainly: its
// status is never guessed.
inline constexpr const char* kDeletedMark = "\u2715";  // ✕ MULTIPLICATION X, in DejaVu Sans
inline constexpr const char* kPartialMark = "\u25D0";  // ◐ CIRCLE WITH LEFT HALF BLACK
struct RowLook {
    bool deleted = false;
    bool partial = false;

    bool Plain() const { return !deleted && !partial; }
    // The marks that go before the record number, "✕ " or "✕◐ ", in UTF-8.
    std::string NumberMark() const;
    // What the marks mean, for the "No." cell's tooltip; empty for a plain row.
    std::string Tooltip() const;
};
RowLook LookOf(const IndexRecord& record, bool markDeletedRecords);

}  // namespace tallowmark
