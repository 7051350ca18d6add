#include "shell/qt/WindowArrangement.h"

#include <QMdiArea>
#include <QMenu>
#include <QMdiSubWindow>
#include <QStyle>

#include "shell/CascadeLayout.h"

namespace tallowmark {

namespace {
int CascadeStep(const QMdiArea& area) {
    return area.style()->pixelMetric(QStyle::PM_TitleBarHeight) +
           2 * area.style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth);
}

// The area's own contents, not its viewport: while the main window is still hidden the
// viewport has not been given its size yet.
QSize Workspace(const QMdiArea& area) { return area.contentsRect().size(); }
}  // namespace

void PlaceFrame(QMdiArea& area, QMdiSubWindow& frame, int index) {
    const QSize workspace = Workspace(area);
    const WindowPlace place = CascadePlace(index, workspace.width(), workspace.height(), CascadeStep(area));
    frame.setGeometry(place.x, place.y, place.width, place.height);
}

void CascadeFrames(QMdiArea& area) {
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* window : area.subWindowList(QMdiArea::StackingOrder))
        if (!window->isMinimized()) windows.push_back(window);
    for (int i = 0; i < windows.size(); ++i) {
        if (windows[i]->isMaximized()) windows[i]->showNormal();
        PlaceFrame(area, *windows[i], i);
        windows[i]->raise();
    }
}

void TileFrames(QMdiArea& area) {
    QList<QMdiSubWindow*> windows;
    const QList<QMdiSubWindow*> stacked = area.subWindowList(QMdiArea::StackingOrder);
    for (auto window = stacked.rbegin(); window != stacked.rend(); ++window)
        if (!(*window)->isMinimized()) windows.push_back(*window);
    const QSize workspace = Workspace(area);
    for (int i = 0; i < windows.size(); ++i) {
        if (windows[i]->isMaximized()) windows[i]->showNormal();
        const int count = static_cast<int>(windows.size());
        const WindowPlace place = TilePlace(i, count, workspace.width(), workspace.height());
        windows[i]->setGeometry(place.x, place.y, place.width, place.height);
    }
}

void FillWindowList(QMenu& menu, QMdiArea& area) {
    for (QAction* action : menu.actions())
        if (action->property("windowListEntry").toBool()) {
            menu.removeAction(action);
            action->deleteLater();
        }
    const QList<QMdiSubWindow*> windows = area.subWindowList(QMdiArea::CreationOrder);
    if (windows.isEmpty()) return;
    QAction* separator = menu.addSeparator();
    separator->setProperty("windowListEntry", true);
    for (qsizetype i = 0; i < windows.size(); ++i) {
        QMdiSubWindow* window = windows[i];
        QAction* entry = menu.addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(window->windowTitle()));
        entry->setProperty("windowListEntry", true);
        entry->setCheckable(true);
        entry->setChecked(window == area.activeSubWindow());
        QObject::connect(entry, &QAction::triggered, &area, [&area, window] { area.setActiveSubWindow(window); });
    }
}

}  // namespace tallowmark
