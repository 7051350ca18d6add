#pragma once
// The program's own icons: the application's (main window, desktop entry) and the
// document windows'. Drawn in shell/icons/*.svg; the PNGs are renderings of them.

#include <QIcon>

namespace tallowmark {

QIcon ApplicationIcon();
QIcon DocumentIcon();

}  // namespace tallowmark
