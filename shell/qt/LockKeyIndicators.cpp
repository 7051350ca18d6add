#include "shell/qt/LockKeyIndicators.h"

#include <QGuiApplication>
#include <QLabel>
#include <QStatusBar>
#include <QTimer>
#include <array>

#if defined(TALLOWMARK_HAVE_X11) && QT_CONFIG(xcb)
#include <X11/XKBlib.h>
#define TALLOWMARK_READ_XKB 1
#endif

namespace tallowmark {

#ifdef TALLOWMARK_READ_XKB
namespace {
std::optional<bool> NamedIndicator(Display* display, const char* name) {
    const Atom atom = XInternAtom(display, name, True);
    if (atom == None) return std::nullopt;
    Bool on = False;
    if (!XkbGetNamedIndicator(display, atom, nullptr, &on, nullptr, nullptr)) return std::nullopt;
    return on != False;
}

std::optional<platform::LockKeys> ReadXkbIndicators() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    if (!display) return std::nullopt;
    const auto caps = NamedIndicator(display, "Caps Lock");
    const auto num = NamedIndicator(display, "Num Lock");
    const auto scroll = NamedIndicator(display, "Scroll Lock");
    if (!caps && !num && !scroll) return std::nullopt;
    return platform::LockKeys{caps.value_or(false), num.value_or(false), scroll.value_or(false)};
}
}  // namespace
#endif

std::optional<platform::LockKeys> ReadLockKeyIndicators() {
#ifdef TALLOWMARK_READ_XKB
    if (auto keys = ReadXkbIndicators()) return keys;
#endif
    return platform::ReadLockKeys();
}

void AddLockKeyPanes(QStatusBar& bar) {
    std::array<QLabel*, 3> panes{};
    const char* names[] = {"CAP", "NUM", "SCRL"};
    for (std::size_t i = 0; i < panes.size(); ++i) {
        panes[i] = new QLabel(QString::fromLatin1(names[i]), &bar);
        panes[i]->setFrameShape(QFrame::StyledPanel);
        panes[i]->setAlignment(Qt::AlignCenter);
        panes[i]->setMinimumWidth(40);
        bar.addPermanentWidget(panes[i]);
    }
    const auto refresh = [panes] {
        const auto keys = ReadLockKeyIndicators();
        const bool states[] = {keys && keys->capsLock, keys && keys->numLock, keys && keys->scrollLock};
        for (std::size_t i = 0; i < panes.size(); ++i) panes[i]->setEnabled(states[i]);
    };
    refresh();
    auto* timer = new QTimer(&bar);
    QObject::connect(timer, &QTimer::timeout, &bar, refresh);
    timer->start(500);
}

}  // namespace tallowmark
