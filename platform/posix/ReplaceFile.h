#pragma once
// Replacing a small file's whole content at once, for the program's own files (settings
// for the desktop, boot-time entries): readers see the old file or the new one, never a
// half-written one. Part of the output service (platform/OutputFile.h), with its
// temporary file, flush and rename; unlike it, a link at `path` is replaced, not followed.

#include <string>
#include <string_view>
#include <sys/types.h>

namespace tallowmark::platform {

// Writes `contents` to a new file beside `path` and renames it over `path`. Returns 0,
// or the errno of the step that failed (and leaves `path` as it was).
int ReplaceFile(const std::string& path, std::string_view contents, mode_t mode);

}  // namespace tallowmark::platform
