#pragma once

#include <string>

#include "model/IndexRecord.h"

namespace tallowmark {

// Everything known about one record, as the entry-details box shows it.
std::string EntryDetailsText(const IndexRecord& record, const std::string& documentPath);

}  // namespace tallowmark
