#pragma once
// Where the browser keeps the cached copy of a URL or LEAK record: in the record's cache
// directory beside the index file. The names come from the file, so they are checked
// before they touch the disk.

#include <string>
#include <string_view>

#include "model/IndexRecord.h"
#include "model/TallowmarkDoc.h"

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

// Where the cached copy of `record` lies inside a disk image, for the index file at
// `indexPath` there (from the root, names parted by "/"): the index file's folder, the
// record's cache directory and its file name. Empty when the record is no URL or LEAK
// record or names no plain directory and file; whether the copy is there is the image's to say.
std::string CachedFilePathInImage(const IndexRecord& record, const std::string& indexPath);

inline constexpr const char* kCachedCopyNotInImage = "The cached copy %1 is not in the image.";
inline constexpr const char* kCachedCopyUnreadable = "The cached copy %1 could not be read from the image.";
inline constexpr const char* kNoCachedCopyNamed = "This entry names no cached copy.";
inline constexpr const char* kNoFolderForCachedCopy = "No folder of your own could be made for the cached copy.";

struct CachedCopy {
    Outcome outcome;   // a failure says why there is no copy
    std::string path;  // the copy, on success
};
// Reads the cached copy of `record`, one of the records of `document` (a document read
// from a disk image), out of that image into a new folder of its own inside
// `privateFolder`, through the output service. Never onto any of `openFiles`.
CachedCopy CopyCachedFileFromImage(const IndexRecord& record, const TallowmarkDoc& document,
                                   const std::string& privateFolder, const std::vector<std::string>& openFiles);

}  // namespace tallowmark
