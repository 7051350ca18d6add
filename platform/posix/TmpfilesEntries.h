#pragma once
// The lines of a tmpfiles.d file that remove one file at boot, written so that the name
// survives the two decodings the system applies: the file's C-style escapes with "%"
// specifiers, then shell-style globbing.

#include <optional>
#include <string>
#include <string_view>

namespace tallowmark::platform::tmpfiles {

// The line that removes exactly `path` at the next boot, without its line break. Nothing
// for a path that is not absolute and plain (no "." or ".." parts, no empty parts) or
// that holds a control character.
std::optional<std::string> RemovalLine(std::string_view path);

// The single file a removal line removes; nothing for any other line (comments, other
// kinds of entry, patterns that match more than one name).
std::optional<std::string> RemovedPath(std::string_view line);

bool HasControlCharacter(std::string_view text);

}  // namespace tallowmark::platform::tmpfiles
