#include "presentation/RecordSort.h"

#include <algorithm>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

#include "presentation/Columns.h"

namespace tallowmark {

namespace {
bool InTimeGroup(const IndexRecord& record) {
    return record.Kind() == BlockKind::Url || record.Kind() == BlockKind::Leak;  // AsUrlRecord's test
}

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

// A row with its key while it sorts, and its place before the sort, which settles equal
// keys as a stable sort would. The group's mark shares the place's word.
template <class Key>
struct KeyedRow {
    Key key{};
    std::uint32_t row = 0;
    std::uint32_t placeAndGroup = 0;

    std::uint32_t Place() const { return placeAndGroup & ~kInGroup; }
    bool InGroup() const { return placeAndGroup & kInGroup; }
    static constexpr std::uint32_t kInGroup = 0x80000000u;
};

// Sorts `keyed` as the merge of CompareRecords' answers would, and writes the rows back.
template <class Key>
void SortKeyed(std::vector<KeyedRow<Key>>& keyed, RowList& rows, bool grouped, bool reversed) {
    using Keyed = KeyedRow<Key>;
    auto compare = [grouped](const Keyed& left, const Keyed& right) {
        return CompareKeys(left.InGroup(), right.InGroup(), left.key, right.key, grouped);
    };
    if (!reversed) {
        // Ascending, the answers form a strict weak order, so every stable sort ends in the
        // merge's order; with the place settling equal keys no sort needs room of its own.
        std::sort(keyed.begin(), keyed.end(), [&](const Keyed& l, const Keyed& r) {
            if (compare(r, l) > 0) return true;
            return compare(l, r) == 0 && l.Place() < r.Place();
        });
    } else if (!grouped) {
        // Descending, equal keys take the right run first: the merge gives the rows in
        // descending order with equal keys in reverse order of place.
        std::sort(keyed.begin(), keyed.end(), [&](const Keyed& l, const Keyed& r) {
            if (compare(l, r) > 0) return true;
            return compare(r, l) == 0 && l.Place() > r.Place();
        });
    } else {
        // Descending in the grouped columns the answers are no order: only the merge itself
        // gives its order. It moves places, not keys, to need little room.
        std::vector<std::uint32_t> order(keyed.size());
        for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<std::uint32_t>(i);
        StableMergeSort(order, [&](std::uint32_t l, std::uint32_t r) { return compare(keyed[l], keyed[r]) == 0; });
        for (std::size_t i = 0; i < rows.size(); ++i) rows[i] = keyed[order[i]].row;
        return;
    }
    for (std::size_t i = 0; i < rows.size(); ++i) rows[i] = keyed[i].row;
}
}  // namespace

int CompareRecords(const IndexRecord& first, const IndexRecord& second, int column) {
    if (first.Bytes().data() == second.Bytes().data() && first.RecordNumber() == second.RecordNumber()) return 0;
    const Column* info = ColumnOf(column);
    if (!info) return 0;
    const bool firstIn = InTimeGroup(first), secondIn = InTimeGroup(second);
    if (info->kind == ColumnKind::Text) {
        std::string firstScratch, secondScratch;
        return CompareKeys(firstIn, secondIn, TextKey(*info, first, firstIn, firstScratch),
                           TextKey(*info, second, secondIn, secondScratch), info->grouped);
    }
    return CompareKeys(firstIn, secondIn, NumberKey(*info, first, firstIn), NumberKey(*info, second, secondIn),
                       info->grouped);
}

int CompareRecordsReversed(const IndexRecord& first, const IndexRecord& second, int column) {
    return CompareRecords(first, second, column) == 0 ? 1 : 0;
}

void SortRowsByCompare(const TallowmarkDoc& document, RowList& rows, int column, bool reversed) {
    StableMergeSort(rows, [&document, column, reversed](std::uint32_t left, std::uint32_t right) {
        const IndexRecord first = document.Record(left), second = document.Record(right);
        return (reversed ? CompareRecordsReversed(first, second, column) : CompareRecords(first, second, column)) > 0;
    });
}

void SortRows(const TallowmarkDoc& document, RowList& rows, int column, bool reversed) {
    const Column* info = ColumnOf(column);
    if (!info) {
        // Every comparison answers 0: ascending keeps the order, descending takes the right run each time.
        if (reversed) SortRowsByCompare(document, rows, column, reversed);
        return;
    }
    // Each row's key, and whether it is in the group, made once.
    const auto keyedRows = [&](auto keyOf) {
        using Key = decltype(keyOf(std::declval<const IndexRecord&>(), false));
        std::vector<KeyedRow<Key>> keyed(rows.size());
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const IndexRecord record = document.Record(rows[i]);
            const bool inGroup = InTimeGroup(record);
            keyed[i] = {keyOf(record, inGroup), rows[i],
                        static_cast<std::uint32_t>(i) | (inGroup ? KeyedRow<Key>::kInGroup : 0u)};
        }
        return keyed;
    };
    if (info->kind != ColumnKind::Text) {
        auto keyed = keyedRows([&](const IndexRecord& record, bool inGroup) { return NumberKey(*info, record, inGroup); });
        SortKeyed(keyed, rows, info->grouped, reversed);
        return;
    }
    // The texts the keys view that no record holds as they are sorted; where they stay put.
    std::deque<std::string> made;
    std::string scratch;
    auto keyed = keyedRows([&](const IndexRecord& record, bool inGroup) {
        std::string_view key = TextKey(*info, record, inGroup, scratch);
        if (!scratch.empty()) {
            key = made.emplace_back(std::move(scratch));
            scratch.clear();
        }
        return TextKey16(key);
    });
    SortKeyed(keyed, rows, info->grouped, reversed);
}

SortToggle& SortToggle::Program() {
    static SortToggle toggle;
    return toggle;
}

int& g_lastSortColumn = SortToggle::Program().lastColumn;

void SortToggle::OnColumnClick(const TallowmarkDoc& document, RowList& rows, int column) {
    const bool descending = column == lastColumn;
    SortRows(document, rows, column, descending);
    lastColumn = descending ? -1 : column;
}

}  // namespace tallowmark
