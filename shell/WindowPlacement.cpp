#include "shell/WindowPlacement.h"

#include <algorithm>
#include <charconv>

namespace tallowmark {

std::string WindowPlaceText(const WindowPlace& place) {
    return std::to_string(place.x) + "," + std::to_string(place.y) + "," + std::to_string(place.width) + "," +
           std::to_string(place.height);
}

std::optional<WindowPlace> ParseWindowPlace(std::string_view text) {
    int fields[4] = {};
    const char* at = text.data();
    const char* const end = text.data() + text.size();
    for (int i = 0; i < 4; ++i) {
        if (i > 0 && (at == end || *at++ != ',')) return std::nullopt;
        const auto [next, error] = std::from_chars(at, end, fields[i]);
        if (error != std::errc()) return std::nullopt;
        at = next;
    }
    if (at != end || fields[2] < 1 || fields[3] < 1) return std::nullopt;
    return WindowPlace{fields[0], fields[1], fields[2], fields[3]};
}

WindowPlace FitToScreen(WindowPlace wanted, const WindowPlace& screen, int frameWidth, int frameHeight) {
    // The frame's share lies left and right of the inside, and mostly above it (the caption).
    const int sideFrame = frameWidth / 2, topFrame = std::max(frameHeight - sideFrame, 0);
    wanted.width = std::clamp(wanted.width, 1, std::max(screen.width - frameWidth, 1));
    wanted.height = std::clamp(wanted.height, 1, std::max(screen.height - frameHeight, 1));
    const int right = screen.x + screen.width - (wanted.width + frameWidth - sideFrame);
    const int bottom = screen.y + screen.height - (wanted.height + frameHeight - topFrame);
    wanted.x = std::max(std::min(wanted.x, right), screen.x + sideFrame);
    wanted.y = std::max(std::min(wanted.y, bottom), screen.y + topFrame);
    return wanted;
}

}  // namespace tallowmark
