#pragma once

#include <QIcon>

namespace tallowmark {

// The toolbar picture of a command: the desktop theme's icon of its freedesktop name, or
// else our own drawing of it (shell/icons/toolbar), 16 by 15 pixels.
QIcon ToolbarIcon(int commandId);

}  // namespace tallowmark
