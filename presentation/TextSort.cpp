#include "presentation/TextSort.h"

#include <algorithm>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "presentation/SortKeys.h"

namespace tallowmark {

namespace {
// A text key in 16 bytes: 8 of its bytes packed big-endian, so that comparing the words
// compares the bytes (its first, and its next ones where heads tie), and where the whole
// text is. A text shorter than the head is padded with zeros, which sort before any byte
// as the end of a text does.
struct TextRef {
    std::uint32_t head[2] = {0, 0};
    std::uint32_t at = 0;    // where it starts in the file's bytes, or its place among the texts aside
    std::uint32_t size = 0;  // its length, or kAside

    static constexpr std::uint32_t kAside = UINT32_MAX;
    static constexpr std::size_t kHead = sizeof(head);
    // -1, 0 or 1 as `other`'s head comes after, with or before this one's.
    int HeadOrder(const TextRef& other) const {
        for (std::size_t i = 0; i < std::size(head); ++i)
            if (head[i] != other.head[i]) return head[i] < other.head[i] ? -1 : 1;
        return 0;
    }
    // Whether the text goes on past its head: texts hold no NUL, so a head that ends in a
    // zero holds the text's end.
    bool GoesOn() const { return (head[1] & 0xFF) != 0; }
};

// Makes the TextRefs of one sort. A text in the file's bytes stays where it is; any other
// (a page title in UTF-8, a status) is kept aside while it sorts.
class TextRefs {
public:
    explicit TextRefs(ByteView image) : m_image(image), m_fits(image.size() <= UINT32_MAX) {}
    // False once a text could not be told in a TextRef: the file is past 4 GiB, or the texts aside too many.
    bool Fit() const { return m_fits; }

    // `made` tells that `text` lives only until the next key is made (in the column's scratch).
    TextRef Of(std::string_view text, bool made) {
        TextRef key;
        Pack(key, text);
        if (!m_fits || text.empty()) return key;
        const auto* begin = reinterpret_cast<const std::uint8_t*>(text.data());
        const bool inFile = begin >= m_image.data() && begin + text.size() <= m_image.data() + m_image.size();
        if (inFile && text.size() < TextRef::kAside) {
            key.size = static_cast<std::uint32_t>(text.size());
            key.at = static_cast<std::uint32_t>(begin - m_image.data());
        } else {
            key.size = TextRef::kAside;
            key.at = Aside(text, inFile, made);
        }
        return key;
    }

    std::string_view Text(const TextRef& key) const {
        if (key.size == TextRef::kAside) return m_aside[key.at];
        return {reinterpret_cast<const char*>(m_image.data()) + key.at, key.size};
    }
    // Puts the text's bytes from 8 * `depth` on in the key's head.
    void LoadChunk(TextRef& key, std::size_t depth) const {
        const std::string_view text = Text(key);
        const std::size_t start = TextRef::kHead * depth;
        Pack(key, start < text.size() ? text.substr(start) : std::string_view());
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

    static void Pack(TextRef& key, std::string_view bytes) {
        key.head[0] = key.head[1] = 0;
        for (std::size_t i = 0; i < TextRef::kHead && i < bytes.size(); ++i)
            key.head[i / 4] |= std::uint32_t{static_cast<unsigned char>(bytes[i])} << (8 * (3 - i % 4));
    }

    ByteView m_image;
    bool m_fits;
    std::deque<std::string> m_made;
    std::vector<std::string_view> m_aside;
    static constexpr std::size_t kMostFixed = 64;
    std::vector<std::uint32_t> m_fixed;  // among m_aside
};

static_assert(sizeof(KeyedRow<TextRef>) == 20);

using TextRow = KeyedRow<TextRef>;

// Orders `keyed` by `before`, which looks at the group's marks, the heads and the places
// alone. Where heads tie and their texts go on, the texts' next 8 bytes become their heads
// and that run is ordered again, so that no comparison reads a text.
template <class Before>
void SortByChunks(std::vector<TextRow>& keyed, const TextRefs& refs, Before before) {
    struct Run {
        std::size_t begin, end, depth;
    };
    std::vector<Run> runs{{0, keyed.size(), 0}};
    while (!runs.empty()) {
        const Run run = runs.back();
        runs.pop_back();
        const auto begin = keyed.begin() + static_cast<std::ptrdiff_t>(run.begin);
        const auto end = keyed.begin() + static_cast<std::ptrdiff_t>(run.end);
        // A run whose new heads tie as well is in order already: texts alike for a long way
        // cost a step each 8 bytes, not a sort.
        if (run.depth == 0 || std::any_of(begin, end, [&](const TextRow& row) { return row.key.HeadOrder(begin->key) != 0; }))
            std::sort(begin, end, before);
        for (std::size_t first = run.begin; first < run.end;) {
            std::size_t last = first + 1;
            while (last < run.end && keyed[last].InGroup() == keyed[first].InGroup() &&
                   keyed[last].key.HeadOrder(keyed[first].key) == 0)
                ++last;
            if (last - first > 1 && keyed[first].key.GoesOn()) {
                for (std::size_t i = first; i < last; ++i) refs.LoadChunk(keyed[i].key, run.depth + 1);
                runs.push_back({first, last, run.depth + 1});
            }
            first = last;
        }
    }
}

// Sorts `rows` by a text column's keys, which `keyOf` makes through `refs`; false, with
// `rows` as they were, when `refs` cannot tell them.
template <class KeyOf>
bool SortByText(const TallowmarkDoc& document, RowList& rows, const Column& column, bool reversed, TextRefs& refs,
                KeyOf keyOf) {
    if (column.grouped && reversed) {
        // Only the merge itself gives this order, as for a number column: it compares the
        // texts' ranks, each found by its place, which one sort of the group's members gives.
        const std::vector<RecordEntry>& entries = document.Entries();
        const auto isMember = [&](std::uint32_t place) { return InTimeGroup(static_cast<BlockKind>(entries[place].kind)); };
        std::vector<TextRow> members;
        members.reserve(static_cast<std::size_t>(std::count_if(rows.begin(), rows.end(), isMember)));
        for (const std::uint32_t place : rows)
            if (isMember(place)) members.push_back({keyOf(document.Record(place), true), place});
        if (!refs.Fit()) return false;
        SortByChunks(members, refs, [](const TextRow& l, const TextRow& r) {
            const int order = l.key.HeadOrder(r.key);
            return order != 0 ? order < 0 : l.Place() < r.Place();
        });
        std::vector<std::uint32_t> rankOf(document.RecordCount(), 0);  // 0: no member
        std::uint32_t rank = 0;
        for (std::size_t i = 0; i < members.size(); ++i) {
            if (i == 0 || refs.Text(members[i - 1].key) != refs.Text(members[i].key)) ++rank;
            rankOf[members[i].Place()] = rank;
        }
        members = {};
        StableMergeSort(rows, [&](std::uint32_t left, std::uint32_t right) {
            return CompareKeys(rankOf[left] != 0, rankOf[right] != 0, rankOf[left], rankOf[right], true) == 0;
        });
        return true;
    }
    // The group's mark only where the column groups: runs of equal heads end where it changes.
    const bool grouped = column.grouped;
    std::vector<TextRow> keyed = KeyedRowsOf(document, rows, grouped, keyOf);
    if (!refs.Fit()) return false;
    // As SortKeyed orders: the group first in a grouped column (ascending only here), then
    // the texts, then the places, all reversed for a descending sort.
    SortByChunks(keyed, refs, [grouped, reversed](const TextRow& l, const TextRow& r) {
        if (l.InGroup() != r.InGroup()) return l.InGroup();
        if (!grouped || l.InGroup()) {
            const int order = l.key.HeadOrder(r.key);
            if (order != 0) return reversed ? order > 0 : order < 0;
        }
        return reversed ? l.Place() > r.Place() : l.Place() < r.Place();
    });
    PutRowsInKeyedOrder(keyed, rows);
    return true;
}
}  // namespace

bool SortRowsByText(const TallowmarkDoc& document, RowList& rows, const Column& column, bool reversed) {
    TextRefs refs(document.Image());
    std::string scratch;
    const auto keyOf = [&](const IndexRecord& record, bool inGroup) {
        if (!refs.Fit()) return TextRef();
        scratch.clear();
        const std::string_view text = TextKey(column, record, inGroup, scratch);
        return refs.Of(text, !scratch.empty() && text.data() >= scratch.data() &&
                                 text.data() < scratch.data() + scratch.size());
    };
    return SortByText(document, rows, column, reversed, refs, keyOf);
}

}  // namespace tallowmark
