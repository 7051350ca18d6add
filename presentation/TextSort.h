#pragma once
// Sorting the record list by a text column.

#include "model/TallowmarkDoc.h"
#include "presentation/Columns.h"
#include "presentation/RecordSort.h"

namespace tallowmark {

// Sorts `rows` of `document` by the text column `column`, in the order SortRows gives,
// with keys of 20 bytes a row; false, with `rows` as they were, for a file past 4 GiB.
bool SortRowsByText(const TallowmarkDoc& document, RowList& rows, const Column& column, bool reversed);

}  // namespace tallowmark
