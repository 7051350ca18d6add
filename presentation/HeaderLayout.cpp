#include "presentation/HeaderLayout.h"

#include <algorithm>
#include <charconv>
#include <string_view>

#include "presentation/Columns.h"

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

std::vector<std::string> ColumnLayoutTexts(std::vector<HeaderPlace> places) {
    std::sort(places.begin(), places.end(), [](const HeaderPlace& a, const HeaderPlace& b) { return a.visual < b.visual; });
    std::vector<std::string> texts;
    for (const HeaderPlace& place : places)
        if (const Column* column = ColumnOf(place.column))
            texts.push_back(std::string(column->title) + (place.width >= 0 ? "=" + std::to_string(place.width) : ""));
    return texts;
}

std::vector<HeaderPlace> ColumnLayoutOf(const std::vector<std::string>& texts) {
    constexpr int kWidestColumn = 10000;  // pixels; a larger width is no width a person gave
    std::vector<HeaderPlace> places;
    for (const std::string& text : texts) {
        const std::size_t equals = text.rfind('=');
        const std::string_view title = std::string_view(text).substr(0, equals);
        int width = -1;
        if (equals != std::string::npos) {
            const char* const end = text.data() + text.size();
            const auto [at, error] = std::from_chars(text.data() + equals + 1, end, width);
            if (error != std::errc() || at != end || width < 1 || width > kWidestColumn) width = -1;
        }
        for (int column = 0; column < static_cast<int>(kRecordColumns.size()); ++column)
            if (title == kRecordColumns[static_cast<std::size_t>(column)].title &&
                std::none_of(places.begin(), places.end(), [&](const HeaderPlace& p) { return p.column == column; }))
                places.push_back({column, width, static_cast<int>(places.size())});
    }
    return places;
}

}  // namespace tallowmark
