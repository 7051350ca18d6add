#pragma once

#include <string>

#include "model/IndexRecord.h"

namespace tallowmark {

// Everything known about one record, as the entry-details box shows it, in UTF-8: the
// record's texts are decoded from the ANSI code page, `documentPath` is taken as it is.
// Each of the two list times says the zone it is shown in ("(local, UTC-5)"), or why it
// shows the epoch.
std::string EntryDetailsText(const IndexRecord& record, const std::string& documentPath);
// The same, then for a URL, LEAK or REDR record an "Evidence:" block: its status, hashed,
// partial, kind and user, every time it holds under what the time means for its kind
// (full precision, in UTC with "Z"; a time of the source machine's clock without a zone;
// two times that mean the same named by the stored time each is), the cached
// file's size, hits, flags, exempt delta, page title and file URI. Fields the record
// lacks are left out.
std::string EntryDetailsWithEvidence(const IndexRecord& record, const std::string& documentPath);

}  // namespace tallowmark
