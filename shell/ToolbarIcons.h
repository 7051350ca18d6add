#pragma once

#include <QIcon>

namespace tallowmark {

// The seven toolbar pictures, drawn at 16 by 15 pixels.
QIcon ToolbarIcon(int commandId);

}  // namespace tallowmark
