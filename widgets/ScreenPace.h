#pragma once
// How often a line that shows a worker's latest report is worth repainting: once a frame
// of the screen the window is on.

class QTimer;
class QWidget;

namespace tallowmark {

// Starts `timer` to fire once a frame of `widget`'s screen (60 times a second where the
// screen does not say).
void StartAtScreenPace(QTimer& timer, const QWidget& widget);

}  // namespace tallowmark
