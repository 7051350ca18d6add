#pragma once
// Sorting the record list by a column.

#include <cstddef>
#include <utility>
#include <vector>

#include <cstdint>

#include "model/IndexRecord.h"
#include "model/TallowmarkDoc.h"

namespace tallowmark {

// The rows of a list: the places of its records in their document (TallowmarkDoc::Record).
using RowList = std::vector<std::uint32_t>;

// Whether `first` belongs after `second`: 1 if so, else 0. In the grouped columns (the
// time and cache columns), "URL" and "LEAK" records form a group that comes first: -1 when
// only `first` is in it. 0 for a column the table lacks.
int CompareRecords(const IndexRecord& first, const IndexRecord& second, int column);
// 1 where CompareRecords answers 0, else 0.
int CompareRecordsReversed(const IndexRecord& first, const IndexRecord& second, int column);

// Bottom-up stable merge sort that takes the right run's head only when
// `takeRight(leftHead, rightHead)` holds. It accepts comparisons that are no consistent
// order and always ends with a permutation of `items`.
template <class Item, class TakeRight>
void StableMergeSort(std::vector<Item>& items, TakeRight takeRight) {
    const std::size_t count = items.size();
    if (count < 2) return;
    std::vector<Item> scratch(count);
    std::vector<Item>* from = &items;
    std::vector<Item>* to = &scratch;
    for (std::size_t width = 1; width < count; width *= 2) {
        for (std::size_t start = 0; start < count; start += 2 * width) {
            const std::size_t middle = std::min(start + width, count);
            const std::size_t end = std::min(start + 2 * width, count);
            std::size_t left = start, right = middle, out = start;
            while (left < middle && right < end)
                (*to)[out++] =
                    takeRight((*from)[left], (*from)[right]) ? std::move((*from)[right++]) : std::move((*from)[left++]);
            while (left < middle) (*to)[out++] = std::move((*from)[left++]);
            while (right < end) (*to)[out++] = std::move((*from)[right++]);
        }
        std::swap(from, to);
    }
    if (from != &items) items = std::move(*from);
}

// Sorts the rows of `document` by calling the compare functions for every comparison.
void SortRowsByCompare(const TallowmarkDoc& document, RowList& rows, int column, bool reversed);
// The same order, with each row's key computed once and kept only while it sorts.
void SortRows(const TallowmarkDoc& document, RowList& rows, int column, bool reversed);

// Which way a click on a column's header sorts: ascending, or descending when the column
// is the one some list was last sorted ascending by. The lists of one program share one
// toggle, so that a click in one turns the way of the next click in every other.
struct SortToggle {
    // The column of the last ascending sort, or -1 after a descending one.
    int lastColumn = 0;

    // The toggle every list of the program shares.
    static SortToggle& Program();

    // A click on the column's header: sorts `rows` of `document` and turns the toggle.
    void OnColumnClick(const TallowmarkDoc& document, RowList& rows, int column);
    bool SortedAscendingBy(int column) const { return lastColumn == column; }
};

// The program toggle's column, for the callers that read or set it outright.
extern int& g_lastSortColumn;
// A click on the column's header with the program's toggle.
inline void OnColumnClick(const TallowmarkDoc& document, RowList& rows, int column) {
    SortToggle::Program().OnColumnClick(document, rows, column);
}

}  // namespace tallowmark
