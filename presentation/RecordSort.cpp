#include "presentation/RecordSort.h"

#include <algorithm>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

#include "presentation/Columns.h"

namespace tallowmark {

namespace {
bool InTimeGroup(const IndexRecord& record) { return AsUrlRecord(record) != nullptr; }

// Whether the sort asks the column for the record's key: in a grouped column only a
// member of the group has one, elsewhere a record whose cell the column fills in any file.
// (An empty cell's key is -1 or the empty text, so that those cells come first.)
bool HasKey(const Column& column, const IndexRecord& record, bool inGroup) {
    return column.grouped ? inGroup : Fills(column, record, false);
}

std::int64_t NumberKey(const Column& column, const IndexRecord& record, bool inGroup) {
    return HasKey(column, record, inGroup) ? column.numberKey(record) : -1;
}

// `scratch` holds a text no record holds as it is sorted, such as a page title in UTF-8.
std::string_view TextKey(const Column& column, const IndexRecord& record, bool inGroup, std::string& scratch) {
    if (!HasKey(column, record, inGroup)) return {};
    return (column.textKey ? column.textKey : column.text)(record, scratch);
}

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
    const Column* info = ColumnOf(column);
    if (!info) return 0;
    const bool firstIn = InTimeGroup(*first), secondIn = InTimeGroup(*second);
    if (info->kind == ColumnKind::Text) {
        std::string firstScratch, secondScratch;
        return CompareKeys(firstIn, secondIn, TextKey(*info, *first, firstIn, firstScratch),
                           TextKey(*info, *second, secondIn, secondScratch), info->grouped);
    }
    return CompareKeys(firstIn, secondIn, NumberKey(*info, *first, firstIn), NumberKey(*info, *second, secondIn),
                       info->grouped);
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
    const Column* info = ColumnOf(column);
    if (!info) {
        // Every comparison answers 0: ascending keeps the order, descending takes the right run each time.
        if (reversed) SortRowsByCompare(rows, column, reversed);
        return;
    }
    const bool text = info->kind == ColumnKind::Text, grouped = info->grouped;
    std::vector<KeyedRow> keyed(rows.size());
    // The texts the keys view that no record holds as they are sorted; where they stay put.
    std::deque<std::string> made;
    std::string scratch;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        KeyedRow& entry = keyed[i];
        entry.row = rows[i];
        entry.inGroup = InTimeGroup(*rows[i]);
        if (!text) {
            entry.number = NumberKey(*info, *rows[i], entry.inGroup);
            continue;
        }
        std::string_view key = TextKey(*info, *rows[i], entry.inGroup, scratch);
        if (!scratch.empty()) {
            key = made.emplace_back(std::move(scratch));
            scratch.clear();
        }
        entry.text = TextKey16(key);
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

SortToggle& SortToggle::Program() {
    static SortToggle toggle;
    return toggle;
}

int& g_lastSortColumn = SortToggle::Program().lastColumn;

void SortToggle::OnColumnClick(RowList& rows, int column) {
    const bool descending = column == lastColumn;
    SortRows(rows, column, descending);
    lastColumn = descending ? -1 : column;
}

}  // namespace tallowmark
