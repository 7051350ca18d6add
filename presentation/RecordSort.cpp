#include "presentation/RecordSort.h"

#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>

#include "presentation/Columns.h"
#include "presentation/SortKeys.h"
#include "presentation/TextSort.h"

namespace tallowmark {

namespace {
// A number key in two 32-bit halves, so that a row's key and place take 12 bytes, not 16.
struct NumberKey32x2 {
    std::uint32_t low = 0, high = 0;

    explicit NumberKey32x2(std::int64_t value = 0)
        : low(static_cast<std::uint32_t>(value)), high(static_cast<std::uint32_t>(static_cast<std::uint64_t>(value) >> 32)) {}
    std::int64_t Value() const { return static_cast<std::int64_t>(std::uint64_t{high} << 32 | low); }
    bool operator>(const NumberKey32x2& other) const { return Value() > other.Value(); }
};

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

static_assert(sizeof(KeyedRow<NumberKey32x2>) == 12);

// Sorts `keyed` as the merge of CompareRecords' answers would, `greater` ordering the keys,
// and puts `rows` in its order; not for a descending sort of a grouped column.
template <class Key, class Greater>
void SortKeyed(std::vector<KeyedRow<Key>>& keyed, RowList& rows, bool grouped, bool reversed, Greater greater) {
    using Keyed = KeyedRow<Key>;
    auto compare = [grouped, &greater](const Keyed& left, const Keyed& right) {
        return CompareKeys(left.InGroup(), right.InGroup(), left.key, right.key, grouped, greater);
    };
    if (!reversed) {
        // Ascending, the answers form a strict weak order, so every stable sort ends in the
        // merge's order; with the place settling equal keys no sort needs room of its own.
        std::sort(keyed.begin(), keyed.end(), [&](const Keyed& l, const Keyed& r) {
            if (compare(r, l) > 0) return true;
            return compare(l, r) == 0 && l.Place() < r.Place();
        });
    } else {
        // Descending (outside the grouped columns), equal keys take the right run first: the
        // merge gives the rows in descending order with equal keys in reverse order of place.
        std::sort(keyed.begin(), keyed.end(), [&](const Keyed& l, const Keyed& r) {
            if (compare(l, r) > 0) return true;
            return compare(r, l) == 0 && l.Place() > r.Place();
        });
    }
    PutRowsInKeyedOrder(keyed, rows);
}

// Descending in the grouped columns the answers are no order: only the merge itself gives
// its order. It merges the places themselves, each finding its key by its place, so that it
// needs no more room than the keys and the merge's.
template <class KeyOf, class Greater, class KeysHold>
bool MergeByPlace(const TallowmarkDoc& document, RowList& rows, KeyOf keyOf, Greater greater, KeysHold keysHold) {
    using Key = decltype(keyOf(std::declval<const IndexRecord&>(), false));
    std::vector<Key> keys(document.RecordCount());
    std::vector<bool> inGroup(document.RecordCount());
    for (const std::uint32_t place : rows) {
        const IndexRecord record = document.Record(place);
        inGroup[place] = InTimeGroup(record);
        keys[place] = keyOf(record, inGroup[place]);
    }
    if (!keysHold()) return false;
    StableMergeSort(rows, [&](std::uint32_t left, std::uint32_t right) {
        return CompareKeys(inGroup[left], inGroup[right], keys[left], keys[right], true, greater) == 0;
    });
    return true;
}

// Sorts `rows` of `document` by `column`'s keys, which `keyOf` makes and `greater` orders,
// each made once and kept only while it sorts. False, with `rows` as they were, when
// `keysHold()` turns false once they are made.
template <class KeyOf, class Greater, class KeysHold>
bool SortByKeys(const TallowmarkDoc& document, RowList& rows, const Column& column, bool reversed, KeyOf keyOf,
                Greater greater, KeysHold keysHold) {
    if (column.grouped && reversed) return MergeByPlace(document, rows, keyOf, greater, keysHold);
    auto keyed = KeyedRowsOf(document, rows, column.grouped, keyOf);
    if (!keysHold()) return false;
    SortKeyed(keyed, rows, column.grouped, reversed, greater);
    return true;
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
    if (info->kind != ColumnKind::Text) {
        SortByKeys(
            document, rows, *info, reversed,
            [&](const IndexRecord& record, bool inGroup) { return NumberKey32x2(NumberKey(*info, record, inGroup)); },
            std::greater<NumberKey32x2>(), [] { return true; });
        return;
    }
    if (SortRowsByText(document, rows, *info, reversed)) return;
    std::string scratch;
    // A file past 4 GiB: keys that view their texts wherever they are. The texts
    // no record holds as they are sorted are kept where they stay put.
    std::deque<std::string> made;
    SortByKeys(
        document, rows, *info, reversed,
        [&](const IndexRecord& record, bool inGroup) {
            std::string_view key = TextKey(*info, record, inGroup, scratch);
            if (!scratch.empty()) {
                key = made.emplace_back(std::move(scratch));
                scratch.clear();
            }
            return TextKey16(key);
        },
        std::greater<TextKey16>(), [] { return true; });
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
