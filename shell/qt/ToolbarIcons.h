#pragma once

#include <QIcon>

#include "shell/ToolbarPictures.h"

namespace tallowmark {

// The set the toolbar draws with here: the desktop theme's when it has every picture.
IconSet ToolbarIconSet();
// The toolbar picture of a command from `set`: the theme's icon of its freedesktop name,
// or our own drawing of it, 16 by 15 pixels.
QIcon ToolbarIcon(int commandId, IconSet set);

}  // namespace tallowmark
