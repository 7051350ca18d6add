#pragma once
// JSON texts as the timeline and info write them: UTF-8 with the characters JSON
// reserves spelled out.

#include <string>
#include <string_view>

namespace tallowmark {

// Appends `text` with quotes, backslashes and control characters escaped; the quotes
// around it are the caller's, so a long text may go in slices.
void AppendJsonEscaped(std::string& out, std::string_view text);
// Appends `text` as a JSON string, quotes included.
void AppendJsonString(std::string& out, std::string_view text);

}  // namespace tallowmark
