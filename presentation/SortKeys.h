#pragma once
// What the sorts of the record list share: a row's key while it sorts, and how two keys
// compare as CompareRecords' answers do.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "model/IndexRecord.h"
#include "presentation/Columns.h"

namespace tallowmark {

inline bool InTimeGroup(const IndexRecord& record) {
    return record.Kind() == BlockKind::Url || record.Kind() == BlockKind::Leak;  // AsUrlRecord's test
}

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

}  // namespace tallowmark
