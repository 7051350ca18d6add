#pragma once

#include <string>

#include "model/IndexRecord.h"

namespace tallowmark {

// Everything known about one record, as the entry-details box shows it, in UTF-8: the
// record's texts are decoded from the ANSI code page, `documentPath` is taken as it is.
std::string EntryDetailsText(const IndexRecord& record, const std::string& documentPath);

}  // namespace tallowmark
