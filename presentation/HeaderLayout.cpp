#include "presentation/HeaderLayout.h"

#include <algorithm>

namespace tallowmark {

std::vector<SectionStep> RelaidSections(std::vector<HeaderPlace> before, const std::vector<int>& columns) {
    std::sort(before.begin(), before.end(), [](const HeaderPlace& a, const HeaderPlace& b) { return a.visual < b.visual; });
    std::vector<SectionStep> steps;
    int visual = 0;
    for (const HeaderPlace& place : before) {
        const auto at = std::find(columns.begin(), columns.end(), place.column);
        if (at != columns.end()) steps.push_back({static_cast<int>(at - columns.begin()), visual++, place.width});
    }
    for (std::size_t section = 0; section < columns.size(); ++section)
        if (std::none_of(before.begin(), before.end(),
                         [&](const HeaderPlace& place) { return place.column == columns[section]; }))
            steps.push_back({static_cast<int>(section), -1, -1});
    return steps;
}

}  // namespace tallowmark
