#include "widgets/ScreenPace.h"

#include <QScreen>
#include <QTimer>
#include <QWidget>

namespace tallowmark {

void StartAtScreenPace(QTimer& timer, const QWidget& widget) {
    const QScreen* shown = widget.screen();
    const qreal rate = shown && shown->refreshRate() > 1 ? shown->refreshRate() : 60;
    timer.start(static_cast<int>(1000 / rate));
}

}  // namespace tallowmark
