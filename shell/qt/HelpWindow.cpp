#include "shell/qt/HelpWindow.h"

#include <QAction>
#include <QCoreApplication>
#include <QFileInfo>

#include "shell/qt/AppIcons.h"

namespace tallowmark {

namespace {
constexpr const char* kHelpFileName = "tallowmark-help.html";
}  // namespace

HelpWindow::HelpWindow(QWidget* owner) : QTextBrowser(owner) {
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowFlag(Qt::Window);
    setWindowTitle(QStringLiteral("Tallowmark Help"));
    setWindowIcon(ApplicationIcon());
    setOpenExternalLinks(true);
    resize(640, 560);
    // Closes like the program's other windows.
    auto* close = new QAction(this);
    close->setShortcuts({QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)});
    close->setShortcutContext(Qt::WindowShortcut);
    connect(close, &QAction::triggered, this, &QWidget::close);
    addAction(close);
}

QString HelpWindow::PagePath() {
    const QString folder = QCoreApplication::applicationDirPath();
    const QString beside = folder + QLatin1Char('/') + QLatin1String(kHelpFileName);
    const QString installed = folder + QStringLiteral("/../share/tallowmark/") + QLatin1String(kHelpFileName);
    if (!QFileInfo::exists(beside) && QFileInfo::exists(installed)) return QFileInfo(installed).absoluteFilePath();
    return beside;
}

void HelpWindow::ShowPage(const QString& page) {
    setSource(QUrl::fromLocalFile(page));
    show();
    raise();
    activateWindow();
}

}  // namespace tallowmark
