#pragma once
// The toolbar's pictures: one set, the desktop theme's where it has a picture for every
// button, else the program's own (shell/icons/toolbar), never the two mixed.

#include <functional>
#include <span>
#include <string_view>

namespace tallowmark {

struct ToolbarPicture {
    int commandId;
    const char* name;  // the freedesktop icon name, and our own drawing's file name
};
std::span<const ToolbarPicture> ToolbarPictures();

enum class IconSet { Theme, Own };
// `themeHas` tells whether the theme has a picture of that name.
IconSet ChooseIconSet(const std::function<bool(std::string_view name)>& themeHas);

}  // namespace tallowmark
