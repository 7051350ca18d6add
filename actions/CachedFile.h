#pragma once
// Where the browser keeps the cached copy of a URL or LEAK record: in the record's cache
// directory beside the index file. The names come from the file, so they are checked
// before they touch the disk.

#include <string>
#include <string_view>

#include "model/IndexRecord.h"

namespace tallowmark {

// True when `name` can only be a file or folder inside the folder it is joined to: not
// empty, no separator, drive colon or other character Windows refuses in a name, and not
// "." or ".." (nor another name Windows would shorten to one by dropping dots and blanks).
bool IsPlainName(std::string_view name);

// The full path of the cached copy of `record`, for the index file at `indexPath` (an
// absolute path), with the platform's separators and the letter case found on disk.
// Empty when the record is no URL or LEAK record, names no plain directory and file,
// or nothing is there.
std::string CachedFilePath(const IndexRecord& record, const std::string& indexPath);

}  // namespace tallowmark
