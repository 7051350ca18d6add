#pragma once
// Where the main window opens: where it was when the program last ended, as the settings
// keep it, but never larger than the screen it opens on nor past its edges.

#include <optional>
#include <string>
#include <string_view>

#include "shell/CascadeLayout.h"

namespace tallowmark {

// The size the main window first opens at, before the settings keep one.
inline constexpr WindowPlace kFirstWindowPlace{0, 0, 1100, 720};

// "x,y,width,height", as the settings keep a window's place.
std::string WindowPlaceText(const WindowPlace& place);
// Nothing for a text that is no place: four integers, the width and height at least 1.
std::optional<WindowPlace> ParseWindowPlace(std::string_view text);

// `wanted` (the window's inside, without its frame) on `screen` (the part of a screen
// windows may take): no wider or higher than the screen less `frameWidth` and
// `frameHeight` (what the frame and caption add), and moved as little as it takes for
// the frame to lie wholly on the screen.
WindowPlace FitToScreen(WindowPlace wanted, const WindowPlace& screen, int frameWidth, int frameHeight);

}  // namespace tallowmark
