#pragma once
// How a list's header is laid out again when its columns change: every column it keeps
// stays where it stood among the others, as wide as it was.

#include <string>
#include <vector>

namespace tallowmark {

// A column as the header shows it: its width and its place from the left.
struct HeaderPlace {
    int column;
    int width;
    int visual;
};

// One step of the new layout: the section moves to the place `visual` from the left
// (unless -1) and takes the width `width` (its starting width when -1).
struct SectionStep {
    int section;
    int visual;
    int width;

    bool operator==(const SectionStep&) const = default;
};

// The steps, in order, for a header whose sections stood at `before` and now show
// `columns` (the column of each section): first the columns kept, left to right as they
// stood, to the leftmost places with their widths; then each new one at its starting width.
std::vector<SectionStep> RelaidSections(std::vector<HeaderPlace> before, const std::vector<int>& columns);

// The columns' order and the widths the user gave them, as the settings keep them from one
// run to the next: the titles left to right, each with "=width" when the user sized it
// ("Data=520"); `places` with a width of -1 for a column at its starting width.
std::vector<std::string> ColumnLayoutTexts(std::vector<HeaderPlace> places);
// The places back; unknown titles, repeated ones and unusable widths are passed over.
std::vector<HeaderPlace> ColumnLayoutOf(const std::vector<std::string>& texts);

}  // namespace tallowmark
