#include "shell/qt/ToolbarIcons.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>
#include <array>

#include "shell/CommandIds.h"

namespace tallowmark {

namespace {
struct ToolbarPicture {
    int commandId;
    const char* name;  // the freedesktop icon name, and our drawing's file name
};

constexpr std::array<ToolbarPicture, 7> kPictures = {{
    {cmd::FileOpen, "document-open"},
    {cmd::FileSaveAs, "document-save-as"},
    {cmd::EditCut, "edit-cut"},
    {cmd::EditCopy, "edit-copy"},
    {cmd::EditPaste, "edit-paste"},
    {cmd::AppAbout, "help-about"},
    {cmd::ContextHelp, "help-contextual"},
}};

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

QIcon ToolbarIcon(int commandId) {
    for (const ToolbarPicture& picture : kPictures)
        if (picture.commandId == commandId) {
            const QString name = QLatin1String(picture.name);
            return QIcon::hasThemeIcon(name) ? QIcon::fromTheme(name) : OwnDrawing(picture.name);
        }
    return {};
}

}  // namespace tallowmark
