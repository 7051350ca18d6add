#pragma once
// How a path is shown. A file name is bytes: it need not be valid UTF-8, and it may hold
// line breaks and other control characters, none of which may change how it reads.

#include <string>
#include <string_view>

namespace tallowmark {

// `path` as one line of UTF-8 for the screen: a byte that is not part of a valid UTF-8
// sequence shows as U+FFFD, a control character as its visible symbol (U+2400 to U+241F,
// U+2421 for DEL), and the other line breaks (U+0085, U+2028, U+2029) as U+2424. Any
// other path comes back as it is. The path itself stays the bytes: this is for reading.
std::string PathDisplayText(std::string_view path);

}  // namespace tallowmark
