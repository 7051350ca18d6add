#pragma once
// JSON and CSV texts as the timeline, info and the manifests write them: UTF-8 with the
// characters JSON reserves spelled out, CSV fields as RFC 4180 quotes them.

#include <string>
#include <string_view>

namespace tallowmark {

// Appends `text` with quotes, backslashes and control characters escaped; the quotes
// around it are the caller's, so a long text may go in slices.
void AppendJsonEscaped(std::string& out, std::string_view text);
// Appends `text` as a JSON string, quotes included.
void AppendJsonString(std::string& out, std::string_view text);

// Appends `text` with each double quote doubled; the quotes around it are the caller's.
void AppendCsvEscaped(std::string& out, std::string_view text);

}  // namespace tallowmark
