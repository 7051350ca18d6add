#pragma once
// `info`: what a file says of itself, as lines of "Name: value" or as one JSON object.

#include <ostream>

#include "model/Digest.h"
#include "model/TallowmarkDoc.h"

namespace tallowmark {

enum class InfoFormat { Text, Json };

// The properties page's facts of `document` (whose path is the one to show) with the
// file's `digests` where they were taken, then the header's counts and sizes, the cache
// directories, the hash tables, and the entries by kind and status.
void WriteContainerInfo(std::ostream& out, const TallowmarkDoc& document, InfoFormat format,
                        const FileDigests& digests = {});

}  // namespace tallowmark
