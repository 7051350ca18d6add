#include "shell/qt/ToolbarIcons.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace tallowmark {

namespace {
// Drawn by the SVG library itself, at the toolbar's size and twice it for dense screens,
// so that no image plugin need be found at run time.
QIcon OwnDrawing(const char* name) {
    QSvgRenderer renderer(QStringLiteral(":/toolbar/%1.svg").arg(QLatin1String(name)));
    QIcon icon;
    for (int scale : {1, 2}) {
        QPixmap pixmap(16 * scale, 15 * scale);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        renderer.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}
}  // namespace

IconSet ToolbarIconSet() {
    return ChooseIconSet([](std::string_view name) {
        return QIcon::hasThemeIcon(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
    });
}

QIcon ToolbarIcon(int commandId, IconSet set) {
    for (const ToolbarPicture& picture : ToolbarPictures())
        if (picture.commandId == commandId)
            return set == IconSet::Theme ? QIcon::fromTheme(QLatin1String(picture.name)) : OwnDrawing(picture.name);
    return {};
}

}  // namespace tallowmark
