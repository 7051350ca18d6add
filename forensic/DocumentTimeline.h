#pragma once
// The timeline of an open document's records, for the desktop's Export Timeline: the same
// lines, in the same formats, as the command line's timeline of the file.

#include <cstddef>
#include <ostream>

#include "forensic/Timeline.h"
#include "model/TallowmarkDoc.h"
#include "presentation/ListText.h"
#include "presentation/RecordSort.h"

namespace tallowmark {

struct DocumentTimeline {
    std::size_t records = 0;         // how many records had lines
    std::size_t wallClockTimes = 0;  // times left on the source's wall clock, for want of its zone
};

// The header, then the lines of the records of `document` whose places are in `kept` (in
// any order), in file order, into `out`.
DocumentTimeline WriteDocumentTimeline(std::ostream& out, const TallowmarkDoc& document, const RowList& kept,
                                       const TimelineOptions& options);

// What the status bar says once `written` is at `path`: "Exported 3 records to PATH", and
// how many times stayed on the source's wall clock, if any did.
std::string TimelineExportedText(const DocumentTimeline& written, const std::string& path, CountDigits digits);

// Whether any record of `document` in `kept` holds a time on the clock of the machine the
// file came from, which becomes an instant only once that machine's zone is named.
bool HoldsWallClockTimes(const TallowmarkDoc& document, const RowList& kept);

}  // namespace tallowmark
