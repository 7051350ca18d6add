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

// A text key in 16 bytes: its first 8 bytes packed big-endian as in TextKey16, and where
// the rest is, so that the sort of a large file needs little room.
struct TextRef {
    std::uint32_t head[2] = {0, 0};
    std::uint32_t at = 0;    // in the file's bytes, or the place of a made text
    std::uint32_t size = 0;  // its length; the top bit marks a made text

    static constexpr std::uint32_t kMade = 0x80000000u;
    static constexpr std::size_t kHead = sizeof(head);
    std::uint32_t Length() const { return size & ~kMade; }
};

// Makes the TextRefs of one sort and orders them. A text longer than its head stays where
// it is in the file's bytes; any other (a page title in UTF-8) is kept aside while it sorts.
class TextRefs {
public:
    explicit TextRefs(ByteView image) : m_image(image), m_fits(image.size() < TextRef::kMade) {}
    // False once a text could not be told in a TextRef: the file or the text is too long.
    bool Fit() const { return m_fits; }

    TextRef Of(std::string_view text) {
        TextRef key;
        for (std::size_t i = 0; i < TextRef::kHead && i < text.size(); ++i)
            key.head[i / 4] |= std::uint32_t{static_cast<unsigned char>(text[i])} << (8 * (3 - i % 4));
        if (text.size() >= TextRef::kMade) m_fits = false;
        if (!m_fits) return key;
        key.size = static_cast<std::uint32_t>(text.size());
        if (text.size() <= TextRef::kHead) return key;  // whole in its head
        const auto* begin = reinterpret_cast<const std::uint8_t*>(text.data());
        if (begin >= m_image.data() && begin + text.size() <= m_image.data() + m_image.size()) {
            key.at = static_cast<std::uint32_t>(begin - m_image.data());
        } else {
            key.at = static_cast<std::uint32_t>(m_made.size());
            key.size |= TextRef::kMade;
            m_made.emplace_back(text);
        }
        return key;
    }
    // TextKey16's order.
    bool Greater(const TextRef& first, const TextRef& second) const {
        for (std::size_t i = 0; i < std::size(first.head); ++i)
            if (first.head[i] != second.head[i]) return first.head[i] > second.head[i];
        // The same head: a text no longer than it is the start of the other.
        const bool firstLong = first.Length() > TextRef::kHead, secondLong = second.Length() > TextRef::kHead;
        if (!firstLong || !secondLong) return firstLong && !secondLong;
        return Text(first) > Text(second);
    }

private:
    std::string_view Text(const TextRef& key) const {
        if (key.size & TextRef::kMade) return m_made[key.at];
        return {reinterpret_cast<const char*>(m_image.data()) + key.at, key.size};
    }

    ByteView m_image;
    bool m_fits;
    std::deque<std::string> m_made;
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

// Sorts `keyed` as the merge of CompareRecords' answers would, `greater` ordering the keys,
// and puts `rows` in its order.
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
    } else if (!grouped) {
        // Descending, equal keys take the right run first: the merge gives the rows in
        // descending order with equal keys in reverse order of place.
        std::sort(keyed.begin(), keyed.end(), [&](const Keyed& l, const Keyed& r) {
            if (compare(l, r) > 0) return true;
            return compare(r, l) == 0 && l.Place() > r.Place();
        });
    } else {
        // Descending in the grouped columns the answers are no order: only the merge itself
        // gives its order. It moves places, not keys, to need little room: each key takes
        // its row in the place's stead, and the rows' list holds the places while they merge.
        for (std::size_t i = 0; i < rows.size(); ++i) {
            keyed[i].placeAndGroup = rows[i] | (keyed[i].placeAndGroup & Keyed::kInGroup);
            rows[i] = static_cast<std::uint32_t>(i);
        }
        StableMergeSort(rows, [&](std::uint32_t l, std::uint32_t r) { return compare(keyed[l], keyed[r]) == 0; });
        for (std::uint32_t& row : rows) row = keyed[row].Place();
        return;
    }
    // The sorted places become rows where they stand, so that no third list is needed.
    for (Keyed& item : keyed) item.placeAndGroup = rows[item.Place()];
    for (std::size_t i = 0; i < rows.size(); ++i) rows[i] = keyed[i].placeAndGroup;
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
            keyed[i] = {keyOf(record, inGroup),
                        static_cast<std::uint32_t>(i) | (inGroup ? KeyedRow<Key>::kInGroup : 0u)};
        }
        return keyed;
    };
    if (info->kind != ColumnKind::Text) {
        auto keyed = keyedRows(
            [&](const IndexRecord& record, bool inGroup) { return NumberKey32x2(NumberKey(*info, record, inGroup)); });
        SortKeyed(keyed, rows, info->grouped, reversed, std::greater<NumberKey32x2>());
        return;
    }
    std::string scratch;
    {
        TextRefs refs(document.Image());
        auto keyed = keyedRows([&](const IndexRecord& record, bool inGroup) {
            return refs.Fit() ? refs.Of(TextKey(*info, record, inGroup, scratch)) : TextRef();
        });
        if (refs.Fit()) {
            SortKeyed(keyed, rows, info->grouped, reversed,
                      [&refs](const TextRef& l, const TextRef& r) { return refs.Greater(l, r); });
            return;
        }
    }
    // A file or a text past 2 GiB: keys that view their texts wherever they are. The texts
    // no record holds as they are sorted are kept where they stay put.
    std::deque<std::string> made;
    auto keyed = keyedRows([&](const IndexRecord& record, bool inGroup) {
        std::string_view key = TextKey(*info, record, inGroup, scratch);
        if (!scratch.empty()) {
            key = made.emplace_back(std::move(scratch));
            scratch.clear();
        }
        return TextKey16(key);
    });
    SortKeyed(keyed, rows, info->grouped, reversed, std::greater<TextKey16>());
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
