#include "presentation/RecordSort.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "model/HistoryData.h"
#include "model/RecordEvidence.h"
#include "presentation/RecordCells.h"

namespace tallowmark {

int g_lastSortColumn = 0;

namespace {
bool InTimeGroup(const IndexRecord& record) { return AsUrlRecord(record) != nullptr; }

bool IsColumn(int column) { return column >= 0 && column < static_cast<int>(kRecordColumns.size()); }

// The extra columns' numbers and times; -1 where the cell is empty, so that empty cells
// come first, and a time that is "never" after every other.
std::int64_t TimeKey(const RecordTime& time) {
    switch (time.state) {
        case RecordTime::State::Set: return static_cast<std::int64_t>(time.time & 0x7FFFFFFFFFFFFFFFu);
        case RecordTime::State::Never: return INT64_MAX;
        case RecordTime::State::Absent: break;
    }
    return -1;
}

std::int64_t ExtraNumberKey(const IndexRecord& record, int column) {
    if (!CarriesEvidence(record)) return -1;
    const RecordEvidence evidence(record);
    switch (column) {
        case kColumnHits: return evidence.Hits() ? std::int64_t{*evidence.Hits()} : -1;
        case kColumnCachedSize:
            return evidence.CachedSize() ? static_cast<std::int64_t>(*evidence.CachedSize() & 0x7FFFFFFFFFFFFFFFu) : -1;
        case kColumnExpires: return TimeKey(evidence.Time(RecordTimeField::Expires));
        case kColumnLastChecked: return TimeKey(evidence.Time(RecordTimeField::LastChecked));
        default: return -1;
    }
}

std::int64_t NumberKey(const IndexRecord& record, int column) {
    if (column >= kFirstExtraColumn) return ExtraNumberKey(record, column);
    if (column == kColumnNumber) return record.RecordNumber();
    if (column == kColumnSize) return static_cast<std::int64_t>(record.Size());
    const UrlRecord* url = AsUrlRecord(record);
    if (!url) return 0;
    return column == kColumnModified ? url->ModifiedTime() : url->AccessedTime();
}

// `scratch` holds a text no record holds as it is sorted: a page title in UTF-8.
std::string_view ExtraTextKey(const IndexRecord& record, int column, std::string& scratch) {
    if (!CarriesEvidence(record)) return {};
    const RecordEvidence evidence(record);
    switch (column) {
        case kColumnStatus: return StatusName(evidence.Status());
        case kColumnKind: return EntryKindName(evidence.Kind());
        case kColumnUser: return evidence.User();
        case kColumnPageTitle: return scratch = Utf16ToUtf8(evidence.PageTitle());
        default: return {};
    }
}

std::string_view TextKey(const IndexRecord& record, int column, std::string& scratch) {
    if (column >= kFirstExtraColumn) return ExtraTextKey(record, column, scratch);
    if (column == kColumnType) return record.TypeName();
    if (column == kColumnData) return record.UrlText();
    const UrlRecord* url = AsUrlRecord(record);
    if (!url) return {};
    return column == kColumnCacheDir ? url->CacheDirText() : url->FileNameText();
}

bool IsTextColumn(int column) {
    return column == kColumnType || column == kColumnData || column == kColumnCacheDir || column == kColumnFileName ||
           column == kColumnStatus || column == kColumnKind || column == kColumnUser || column == kColumnPageTitle;
}
// The time and cache columns, which only URL and LEAK records fill.
bool IsGroupedColumn(int column) { return column >= kColumnModified && column <= kColumnFileName; }

// The three-way core of CompareRecords once the keys are known.
template <class Key>
int CompareKeys(bool firstInGroup, bool secondInGroup, const Key& first, const Key& second, bool grouped) {
    if (grouped) {
        if (firstInGroup && !secondInGroup) return -1;
        if (!firstInGroup && secondInGroup) return 1;
        if (!firstInGroup) return 0;
    }
    return first > second ? 1 : 0;
}

// A text key with its first 16 bytes packed big-endian, so that most comparisons are
// settled without reaching into the file's bytes. Texts hold no NUL, so the zero padding
// of a short text sorts before any byte, as the end of a text does.
struct TextKey16 {
    std::string_view text;
    std::uint64_t head[2] = {0, 0};

    explicit TextKey16(std::string_view value = {}) : text(value) {
        for (std::size_t i = 0; i < 16 && i < value.size(); ++i)
            head[i / 8] |= std::uint64_t{static_cast<unsigned char>(value[i])} << (8 * (7 - i % 8));
    }
    bool operator>(const TextKey16& other) const {
        if (head[0] != other.head[0]) return head[0] > other.head[0];
        if (head[1] != other.head[1]) return head[1] > other.head[1];
        if (text.size() <= 16 && other.text.size() <= 16) return false;  // equal
        return text > other.text;
    }
};

struct KeyedRow {
    const IndexRecord* row = nullptr;
    TextKey16 text;
    std::int64_t number = 0;
    bool inGroup = false;
};
}  // namespace

int CompareRecords(const IndexRecord* first, const IndexRecord* second, int column) {
    if (first == second) return 0;
    if (!IsColumn(column)) return 0;
    const bool grouped = IsGroupedColumn(column);
    const bool firstIn = InTimeGroup(*first), secondIn = InTimeGroup(*second);
    if (IsTextColumn(column)) {
        std::string firstScratch, secondScratch;
        return CompareKeys(firstIn, secondIn, TextKey(*first, column, firstScratch),
                           TextKey(*second, column, secondScratch), grouped);
    }
    return CompareKeys(firstIn, secondIn, NumberKey(*first, column), NumberKey(*second, column), grouped);
}

int CompareRecordsReversed(const IndexRecord* first, const IndexRecord* second, int column) {
    return CompareRecords(first, second, column) == 0 ? 1 : 0;
}

void SortRowsByCompare(RowList& rows, int column, bool reversed) {
    StableMergeSort(rows, [column, reversed](const IndexRecord* left, const IndexRecord* right) {
        return (reversed ? CompareRecordsReversed(left, right, column) : CompareRecords(left, right, column)) > 0;
    });
}

void SortRows(RowList& rows, int column, bool reversed) {
    if (!IsColumn(column)) {
        // Every comparison answers 0: ascending keeps the order, descending takes the right run each time.
        if (reversed) SortRowsByCompare(rows, column, reversed);
        return;
    }
    const bool text = IsTextColumn(column), grouped = IsGroupedColumn(column);
    std::vector<KeyedRow> keyed(rows.size());
    // The texts the keys view that no record holds as they are sorted; none in the classic columns.
    std::vector<std::string> scratch(column == kColumnPageTitle ? rows.size() : 1);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        KeyedRow& entry = keyed[i];
        entry.row = rows[i];
        entry.inGroup = InTimeGroup(*rows[i]);
        if (text) entry.text = TextKey16(TextKey(*rows[i], column, scratch[column == kColumnPageTitle ? i : 0]));
        else
            entry.number = NumberKey(*rows[i], column);
    }
    auto compare = [text, grouped](const KeyedRow& left, const KeyedRow& right) {
        return text ? CompareKeys(left.inGroup, right.inGroup, left.text, right.text, grouped)
                    : CompareKeys(left.inGroup, right.inGroup, left.number, right.number, grouped);
    };
    if (!reversed) {
        // Ascending, the answers form a strict weak order, so every stable sort ends in the
        // merge's order; the library's is the quickest.
        std::stable_sort(keyed.begin(), keyed.end(),
                         [&](const KeyedRow& l, const KeyedRow& r) { return compare(r, l) > 0; });
    } else if (!grouped) {
        // Descending, equal keys take the right run first: the merge gives the rows in
        // descending order with equal keys in reverse file order.
        std::reverse(keyed.begin(), keyed.end());
        std::stable_sort(keyed.begin(), keyed.end(),
                         [&](const KeyedRow& l, const KeyedRow& r) { return compare(l, r) > 0; });
    } else {
        // Descending in the grouped columns the answers are no order: only the merge itself
        // gives its order.
        StableMergeSort(keyed, [&](const KeyedRow& l, const KeyedRow& r) { return compare(l, r) == 0; });
    }
    for (std::size_t i = 0; i < rows.size(); ++i) rows[i] = keyed[i].row;
}

void OnColumnClick(RowList& rows, int column) {
    if (column == g_lastSortColumn) {
        SortRows(rows, column, true);
        g_lastSortColumn = -1;
    } else {
        SortRows(rows, column, false);
        g_lastSortColumn = column;
    }
}

}  // namespace tallowmark
