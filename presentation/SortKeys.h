#pragma once
// What the sorts of the record list share: a row's key while it sorts, and how two keys
// compare as CompareRecords' answers do.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/IndexRecord.h"
#include "model/TallowmarkDoc.h"
#include "presentation/Columns.h"
#include "presentation/RecordSort.h"

namespace tallowmark {

inline bool InTimeGroup(BlockKind kind) { return kind == BlockKind::Url || kind == BlockKind::Leak; }  // AsUrlRecord's test
inline bool InTimeGroup(const IndexRecord& record) { return InTimeGroup(record.Kind()); }

// Whether the sort asks the column for the record's key: in a grouped column only a
// member of the group has one, elsewhere a record whose cell the column fills in any file.
// (An empty cell's key is -1 or the empty text, so that those cells come first.)
inline bool HasKey(const Column& column, const IndexRecord& record, bool inGroup) {
    return column.grouped ? inGroup : Fills(column, record, false);
}

inline std::int64_t NumberKey(const Column& column, const IndexRecord& record, bool inGroup) {
    return HasKey(column, record, inGroup) ? column.numberKey(record) : -1;
}

// `scratch` holds a text no record holds as it is sorted, such as a page title in UTF-8.
inline std::string_view TextKey(const Column& column, const IndexRecord& record, bool inGroup, std::string& scratch) {
    if (!HasKey(column, record, inGroup)) return {};
    return (column.textKey ? column.textKey : column.text)(record, scratch);
}

// The three-way core of CompareRecords once the keys are known; `greater` orders the keys.
template <class Key, class Greater = std::greater<Key>>
int CompareKeys(bool firstInGroup, bool secondInGroup, const Key& first, const Key& second, bool grouped,
                Greater greater = {}) {
    if (grouped) {
        if (firstInGroup && !secondInGroup) return -1;
        if (!firstInGroup && secondInGroup) return 1;
        if (!firstInGroup) return 0;
    }
    return greater(first, second) ? 1 : 0;
}

// A row's key while it sorts, and its place before the sort, which settles equal keys as a
// stable sort would and finds the row again. The group's mark shares the place's word.
template <class Key>
struct KeyedRow {
    Key key{};
    std::uint32_t placeAndGroup = 0;

    std::uint32_t Place() const { return placeAndGroup & ~kInGroup; }
    bool InGroup() const { return placeAndGroup & kInGroup; }
    static constexpr std::uint32_t kInGroup = 0x80000000u;
};

// Each row's key, which `keyOf(record, inGroup)` makes once, with its index among `rows`
// and, where the column groups, the group's mark.
template <class KeyOf>
auto KeyedRowsOf(const TallowmarkDoc& document, const RowList& rows, bool grouped, KeyOf keyOf) {
    using Keyed = KeyedRow<decltype(keyOf(std::declval<const IndexRecord&>(), false))>;
    std::vector<Keyed> keyed(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const IndexRecord record = document.Record(rows[i]);
        const bool inGroup = InTimeGroup(record);
        keyed[i] = {keyOf(record, inGroup), static_cast<std::uint32_t>(i) | (grouped && inGroup ? Keyed::kInGroup : 0u)};
    }
    return keyed;
}

// Puts `rows` in the order of `keyed`, sorted: the rows go where their keys stand, so
// that no third list is needed.
template <class Keyed>
void PutRowsInKeyedOrder(std::vector<Keyed>& keyed, RowList& rows) {
    for (Keyed& item : keyed) item.placeAndGroup = rows[item.Place()];
    for (std::size_t i = 0; i < rows.size(); ++i) rows[i] = keyed[i].placeAndGroup;
}

}  // namespace tallowmark
