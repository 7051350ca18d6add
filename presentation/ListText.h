#pragma once
// Texts made from the list as a whole: what Copy puts on the clipboard, the record count
// in the status bar, and the texts that size the columns.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/TallowmarkDoc.h"
#include "presentation/RecordSort.h"

namespace tallowmark {

// Tab-separated: a line of the titles of `columns` (in the order given), then one line
// per row of `document` with its cells as shown. A tab or line break inside a cell becomes a space,
// so that every row stays one line. In UTF-8.
std::string RowsAsTabSeparated(const TallowmarkDoc& document, const RowList& rows, const std::vector<int>& columns,
                               bool isVersion4);

// The texts that size the "Cache Dir" and "Filename" columns, from one pass over `records`:
// every cache directory name the rows show, and the `count` distinct file names with the
// most characters, longest first (the widest on screen among them, whatever the font).
struct CacheNameTexts {
    std::vector<std::string> cacheDirs;
    std::vector<std::string> fileNames;
};
CacheNameTexts CacheNameCandidates(const RecordRange& records, bool isVersion4,
                                   std::size_t count);
// The texts a list widens its columns to show in full, by column, in UTF-8: in "No." the
// largest number after the widest marks the document's records carry, in "Size" the
// largest size, and the cache names above (`count` file names). None for other columns.
std::vector<std::vector<std::string>> TextsToFit(const TallowmarkDoc& document, std::size_t count);

// How a count's digits are written: as the user's locale groups them ("3,958,176"), or
// plain when null.
using CountDigits = std::string (*)(std::uint64_t count);

// "1 record", "N records".
std::string RecordCountText(std::size_t count, CountDigits digits = nullptr);
// "N records", or "N of M records" while fewer than all are shown.
std::string RecordCountText(std::size_t shown, std::size_t total, CountDigits digits = nullptr);

// What the status bar says while a file loads: "Opening PATH... 45%", `done` of `total`.
std::string OpeningText(const std::string& path, std::uint64_t done, std::uint64_t total);

}  // namespace tallowmark
