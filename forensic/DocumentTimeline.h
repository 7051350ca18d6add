#pragma once
// The timeline of an open document's records, for the desktop's Export Timeline: the same
// lines, in the same formats, as the command line's timeline of the file.

#include <cstddef>
#include <ostream>
#include <unordered_set>

#include "forensic/Timeline.h"
#include "model/TallowmarkDoc.h"
#include "presentation/ListText.h"

namespace tallowmark {

struct DocumentTimeline {
    std::size_t records = 0;         // how many records had lines
    std::size_t wallClockTimes = 0;  // times left on the source's wall clock, for want of its zone
};

// The header, then the lines of the records of `document` that are in `kept`, in file
// order, into `out`.
DocumentTimeline WriteDocumentTimeline(std::ostream& out, const TallowmarkDoc& document,
                                       const std::unordered_set<const IndexRecord*>& kept,
                                       const TimelineOptions& options);

// Whether any of `kept` holds a time on the clock of the machine the file came from,
// which becomes an instant only once that machine's zone is named.
// What the status bar says once `written` is at `path`: "Exported 3 records to PATH", and
// how many times stayed on the source's wall clock, if any did.
std::string TimelineExportedText(const DocumentTimeline& written, const std::string& path, CountDigits digits);

bool HoldsWallClockTimes(const std::unordered_set<const IndexRecord*>& kept);

}  // namespace tallowmark
