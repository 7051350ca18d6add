#pragma once
// The record list's columns: one entry each in kRecordColumns, with everything the list,
// its sort, its filter, Copy and the saved choice of columns know of it. A new column is a
// new entry at the end of the table (and a name below if code refers to it).

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/IndexRecord.h"

namespace tallowmark {

enum class CellAlignment { Left, Right };

// Where a column shows: in every list, in every list but those of version-4 files, or
// only when chosen from the header's menu.
enum class ColumnPlace { Classic, ClassicUnlessVersion4, Extra };

// Which records a column's cells are filled for; the others show an empty cell.
enum class ColumnHolds {
    EveryRecord,
    UrlRecords,  // records of type exactly "URL" (not LEAK)
    Entries,     // URL, LEAK and REDR records, whose evidence model/RecordEvidence.h reads
};

// What a column holds, which says how it sorts: numbers and times by a number, texts by
// their bytes. A time column also starts wide enough for a date.
enum class ColumnKind { Number, Time, Text };

// A cell's text in the record texts' code page: a view into the record where it holds the
// text as it is, else into `scratch`. Given an empty `scratch`, the view is into it exactly
// when it is no longer empty afterwards (the sort keeps those texts apart).
using CellTextOf = std::string_view (*)(const IndexRecord& record, std::string& scratch);
using NumberKeyOf = std::int64_t (*)(const IndexRecord& record);
// What a cell's text does not say by itself, for its tooltip; null when nothing.
using CellNoteOf = const char* (*)(const IndexRecord& record);

struct Column {
    const char* title;
    int width;  // pixels
    CellAlignment alignment = CellAlignment::Left;
    ColumnPlace place = ColumnPlace::Classic;
    ColumnHolds holds = ColumnHolds::EveryRecord;
    ColumnKind kind = ColumnKind::Text;
    // The text of a record the column holds (and, in a grouped column, of any URL or LEAK
    // record, which the sort asks for).
    CellTextOf text = nullptr;
    // The text as the list shows it, in UTF-8, where it is not `text` decoded; else null.
    CellTextOf shownText = nullptr;
    // The sort's key of a number or time column: greater sorts later; -1 for an empty cell.
    NumberKeyOf numberKey = nullptr;
    // The sort's key of a text column, compared as unsigned bytes; null: its `text`.
    CellTextOf textKey = nullptr;
    // The sort ranks URL and LEAK records by the key, before every other record.
    bool grouped = false;
    // The filter looks for its text in the column's cells while the list shows it.
    bool searched = false;
    // A note on a cell of a record the column holds, shown as its tooltip.
    CellNoteOf note = nullptr;
};

inline constexpr int kColumnNumber = 0;
inline constexpr int kColumnType = 1;
inline constexpr int kColumnData = 2;
inline constexpr int kColumnSize = 3;
inline constexpr int kColumnModified = 4;
inline constexpr int kColumnAccessed = 5;
inline constexpr int kColumnCacheDir = 6;
inline constexpr int kColumnFileName = 7;
// The columns a list shows only when chosen: what the evidence reads of an entry.
inline constexpr int kColumnStatus = 8;
inline constexpr int kColumnKind = 9;
inline constexpr int kColumnUser = 10;
inline constexpr int kColumnPageTitle = 11;
inline constexpr int kColumnHits = 12;
inline constexpr int kColumnCachedSize = 13;
inline constexpr int kColumnExpires = 14;
inline constexpr int kColumnLastChecked = 15;
inline constexpr int kFirstExtraColumn = kColumnStatus;

// Every column, in the order a list shows them; a column's number is its place here. The
// classic ones come first, the extra ones after them.
extern const std::span<const Column> kRecordColumns;
// The column numbered `column`, or null.
const Column* ColumnOf(int column);

// A choice of extra columns, by column number; numbers of other columns are never chosen.
class ExtraColumns {
public:
    static constexpr std::size_t kRoom = 32;  // extra columns a choice can hold

    bool Has(int column) const { return IsExtra(column) && m_bits.test(Bit(column)); }
    void Set(int column, bool shown) {
        if (IsExtra(column)) m_bits.set(Bit(column), shown);
    }
    bool operator==(const ExtraColumns&) const = default;

private:
    static bool IsExtra(int column) {
        return column >= kFirstExtraColumn && column < static_cast<int>(kRecordColumns.size());
    }
    static std::size_t Bit(int column) { return static_cast<std::size_t>(column - kFirstExtraColumn); }

    std::bitset<kRoom> m_bits;  // bit n: the column kFirstExtraColumn + n
};

// Whether a list of that version with those extra columns shows the column.
bool ListShows(int column, bool isVersion4, ExtraColumns extras);
// The columns a list shows, in the table's order: the classic ones of its version, then the
// chosen extra ones.
std::vector<int> ShownColumns(bool isVersion4, ExtraColumns extras);
// Version-4 files have no "Cache Dir" and "Filename" columns, the last two classic ones.
// The classic columns of a list of that version.
int ColumnCount(bool isVersion4);
// The choice as the titles of its columns, as the settings keep it, and back; an unknown
// title is passed over.
std::vector<std::string> ExtraColumnTitles(ExtraColumns extras);
ExtraColumns ExtraColumnsTitled(const std::vector<std::string>& titles);

// Which rows fill the URL-only columns: only records of type exactly "URL" (a LEAK record
// shows its number, type, URL and size alone), and the cache columns never in a version-4
// file. The list, its filter, Copy and the CSV all ask here.
inline std::optional<UrlRecord> WithTimeColumns(const IndexRecord& record) {
    return record.Kind() == BlockKind::Url ? AsUrlRecord(record) : std::nullopt;
}
inline std::optional<UrlRecord> WithCacheColumns(const IndexRecord& record, bool isVersion4) {
    return isVersion4 ? std::nullopt : WithTimeColumns(record);
}
// The kinds of record whose cells a column fills in a list that shows it, a bit for each
// BlockKind: a mask, so that the filter's pass over every record asks it quickly.
constexpr std::uint32_t KindBit(BlockKind kind) { return 1u << static_cast<unsigned>(kind); }
constexpr std::uint32_t KindsHeld(ColumnHolds holds) {
    switch (holds) {
        case ColumnHolds::EveryRecord: return ~0u;
        case ColumnHolds::UrlRecords: return KindBit(BlockKind::Url);  // as WithTimeColumns
        case ColumnHolds::Entries:                                      // as CarriesEvidence
            return KindBit(BlockKind::Url) | KindBit(BlockKind::Leak) | KindBit(BlockKind::Redirect);
    }
    return 0;
}
inline bool Holds(ColumnHolds holds, const IndexRecord& record) {
    return (KindsHeld(holds) & KindBit(record.Kind())) != 0;
}
// Whether the record's cell in the column is filled, in a file of that version.
inline bool Fills(const Column& column, const IndexRecord& record, bool isVersion4) {
    return !(column.place == ColumnPlace::ClassicUnlessVersion4 && isVersion4) && Holds(column.holds, record);
}

// The text of one cell, in the record texts' code page; the characters of a page title
// that the code page lacks are each kNoCodePageCharacter there, which no typed text holds.
std::string CellText(const IndexRecord& record, int column, bool isVersion4);
inline constexpr char kNoCodePageCharacter = '\x01';
// The text of one cell as the list shows it, in UTF-8.
std::string ShownCellText(const IndexRecord& record, int column, bool isVersion4);
// How the list and the details show a stored time: as a local time, or as the epoch for
// a time of zero (none stored) or one that cannot be converted (before 1900, too large).
enum class ShownTime { Local, NoneStored, NotConvertible };
ShownTime HowTimeShows(FileTime stored);
// What the cell's text does not say by itself (the epoch shown for a time the record does
// not hold), or empty.
std::string CellNote(const IndexRecord& record, int column, bool isVersion4);
inline constexpr const char* kNoTimeStored = "No time is stored (zero)";
inline constexpr const char* kTimeNotShown = "The stored time lies before 1900 or cannot be converted";

}  // namespace tallowmark
