#pragma once
// How a path is shown. A file name is bytes: it need not be valid UTF-8, and it may hold
// line breaks and other control characters, none of which may change how it reads.

#include <string>
#include <string_view>

namespace tallowmark {

// `path` as one line of UTF-8 for the screen: each line break (LF, CR, VT, FF, U+0085,
// U+2028, U+2029) shows as U+21B5, the return arrow, and each other control character
// and each byte that is not part of a valid UTF-8 sequence as U+FFFD. Any other path
// comes back as it is. The path itself stays the bytes: this is for reading only.
std::string PathDisplayText(std::string_view path);

}  // namespace tallowmark
