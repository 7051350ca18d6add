#include "presentation/RecordSort.h"

#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>
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

// A text key in 12 bytes: its first 6 bytes packed big-endian as in TextKey16, and where
// the rest is, so that the sort of a large file needs little room.
struct TextRef {
    std::uint32_t head = 0;         // its first four bytes
    std::uint32_t nextAndSize = 0;  // its next two bytes in the top half; its length in the bottom, or kAside
    std::uint32_t at = 0;           // where it starts in the file's bytes, or its place among the texts aside

    static constexpr std::uint32_t kAside = 0xFFFF;
    static constexpr std::size_t kHead = 6;
    std::uint32_t Next() const { return nextAndSize >> 16; }
    std::uint32_t Size() const { return nextAndSize & 0xFFFF; }
};

// Makes the TextRefs of one sort and orders them. A text longer than its head stays where
// it is in the file's bytes; a long one, or any other (a page title in UTF-8), is kept
// aside while it sorts.
class TextRefs {
public:
    explicit TextRefs(ByteView image) : m_image(image), m_fits(image.size() <= UINT32_MAX) {}
    // False once a text could not be told in a TextRef: the file or the texts aside are too many.
    bool Fit() const { return m_fits; }

    // `made` tells that `text` lives only until the next key is made (in the column's scratch).
    TextRef Of(std::string_view text, bool made) {
        std::uint64_t packed = 0;
        for (std::size_t i = 0; i < TextRef::kHead && i < text.size(); ++i)
            packed |= std::uint64_t{static_cast<unsigned char>(text[i])} << (8 * (7 - i));
        TextRef key;
        key.head = static_cast<std::uint32_t>(packed >> 32);
        key.nextAndSize = static_cast<std::uint32_t>(packed);
        if (!m_fits) return key;
        const auto* begin = reinterpret_cast<const std::uint8_t*>(text.data());
        const bool inFile = begin >= m_image.data() && begin + text.size() <= m_image.data() + m_image.size();
        if (text.size() <= TextRef::kHead || (inFile && text.size() < TextRef::kAside)) {
            key.nextAndSize |= static_cast<std::uint32_t>(text.size());
            if (inFile) key.at = static_cast<std::uint32_t>(begin - m_image.data());
            return key;
        }
        key.nextAndSize |= TextRef::kAside;
        key.at = Aside(text, inFile, made);
        return key;
    }
    // TextKey16's order.
    bool Greater(const TextRef& first, const TextRef& second) const {
        if (first.head != second.head) return first.head > second.head;
        if (first.Next() != second.Next()) return first.Next() > second.Next();
        // The same head: a text no longer than it is the start of the other.
        const bool firstLong = first.Size() > TextRef::kHead, secondLong = second.Size() > TextRef::kHead;
        if (!firstLong || !secondLong) return firstLong && !secondLong;
        return Text(first) > Text(second);
    }

private:
    // The place of `text` among the texts aside. A column's fixed texts (a status, a kind of
    // entry) are few and each is kept once.
    std::uint32_t Aside(std::string_view text, bool inFile, bool made) {
        if (!inFile && !made) {
            const auto fixed = std::find_if(m_fixed.begin(), m_fixed.end(),
                                            [&](std::uint32_t at) { return m_aside[at].data() == text.data(); });
            if (fixed != m_fixed.end() && m_aside[*fixed] == text) return *fixed;
        }
        if (m_aside.size() >= UINT32_MAX) {
            m_fits = false;
            return 0;
        }
        const auto at = static_cast<std::uint32_t>(m_aside.size());
        m_aside.push_back(made ? std::string_view(m_made.emplace_back(text)) : text);
        if (!inFile && !made && m_fixed.size() < kMostFixed) m_fixed.push_back(at);
        return at;
    }

    std::string_view Text(const TextRef& key) const {
        if (key.Size() == TextRef::kAside) return m_aside[key.at];
        return {reinterpret_cast<const char*>(m_image.data()) + key.at, key.Size()};
    }

    ByteView m_image;
    bool m_fits;
    std::deque<std::string> m_made;
    std::vector<std::string_view> m_aside;
    static constexpr std::size_t kMostFixed = 64;
    std::vector<std::uint32_t> m_fixed;  // among m_aside
};

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

static_assert(sizeof(KeyedRow<TextRef>) == 16 && sizeof(KeyedRow<NumberKey32x2>) == 12);

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
    // The sorted places become rows where they stand, so that no third list is needed.
    for (Keyed& item : keyed) item.placeAndGroup = rows[item.Place()];
    for (std::size_t i = 0; i < rows.size(); ++i) rows[i] = keyed[i].placeAndGroup;
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
    using Key = decltype(keyOf(std::declval<const IndexRecord&>(), false));
    std::vector<KeyedRow<Key>> keyed(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const IndexRecord record = document.Record(rows[i]);
        const bool inGroup = InTimeGroup(record);
        keyed[i] = {keyOf(record, inGroup), static_cast<std::uint32_t>(i) | (inGroup ? KeyedRow<Key>::kInGroup : 0u)};
    }
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
    std::string scratch;
    {
        TextRefs refs(document.Image());
        const auto keyOf = [&](const IndexRecord& record, bool inGroup) {
            if (!refs.Fit()) return TextRef();
            scratch.clear();
            const std::string_view text = TextKey(*info, record, inGroup, scratch);
            return refs.Of(text, !scratch.empty() && text.data() >= scratch.data() &&
                                     text.data() < scratch.data() + scratch.size());
        };
        if (SortByKeys(
                document, rows, *info, reversed, keyOf,
                [&refs](const TextRef& l, const TextRef& r) { return refs.Greater(l, r); },
                [&refs] { return refs.Fit(); }))
            return;
    }
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
