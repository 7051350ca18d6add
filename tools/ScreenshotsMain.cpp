// Saves pictures of the main window and the details box for people to look at
// (make screenshots). Usage: tallowmark_screenshots FIXTURES_DIR OUTPUT_DIR
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>

#include "presentation/EntryDetails.h"
#include "presentation/RecordPane.h"
#include "presentation/RecordTableModel.h"
#include "presentation/TallowmarkView.h"
#include "shell/ChildFrame.h"
#include "shell/CommandIds.h"
#include "shell/MainFrame.h"
#include "shell/TallowmarkApp.h"
#include "shell/UserPrompts.h"
#include "tools/SampleScene.h"

using namespace tallowmark;

namespace {
bool Save(QWidget& widget, const QString& dir, const char* name) {
    const QString path = QDir(dir).filePath(QString::fromLatin1(name));
    const bool saved = widget.grab().save(path);
    std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
    return saved;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s FIXTURES_DIR OUTPUT_DIR\n", argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir settingsDir;  // the user's own settings and recent files stay untouched
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
    TallowmarkApp app(argc, argv);
    const QString outputDir = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(outputDir);
    const QStringList files = SampleFiles(QString::fromLocal8Bit(argv[1]));
    if (files.isEmpty()) {
        std::fprintf(stderr, "no sample files in %s\n", argv[1]);
        return 1;
    }
    if (!app.InitInstance()) return 1;
    MainFrame& frame = *app.GetMainFrame();
    if (!ArrangeSampleScene(frame, files)) return 1;
    bool saved = Save(frame, outputDir, "main-window-maximised.png");

    frame.ActiveChild()->showNormal();
    frame.RouteCommand(cmd::WindowCascade);
    QCoreApplication::processEvents();
    saved = Save(frame, outputDir, "main-window-cascaded.png") && saved;

    // The details of the record with the longest URL, as the box shows them.
    TallowmarkView* view = frame.ActiveView();
    int longest = 0;
    for (int row = 0, most = -1; row < view->model()->rowCount(); ++row) {
        const int length = static_cast<int>(view->Model().RecordAt(row)->UrlText().size());
        if (length > most) most = length, longest = row;
    }
    const std::string text = EntryDetailsText(*view->Model().RecordAt(longest), view->GetDocument().PathName());
    std::unique_ptr<QDialog> box = MakeDetailsBox(&frame, QString::fromStdString(text).replace("\r\n", "\n"));
    box->show();
    QCoreApplication::processEvents();
    saved = Save(*box, outputDir, "entry-details.png") && saved;
    box.reset();

    // Two windows tiled, one above the other, every column in view.
    frame.Frames().front()->close();
    frame.RouteCommand(cmd::WindowTile);
    QCoreApplication::processEvents();
    saved = Save(frame, outputDir, "main-window-tiled.png") && saved;

    // The history file filtered to one site, with its timeline.
    const QString history = QDir(QString::fromLocal8Bit(argv[1])).filePath(QStringLiteral("history-ie5-index.dat"));
    if (QFileInfo::exists(history) && app.OpenDocumentFile(history)) {
        frame.ActiveChild()->showMaximized();
        auto* pane = static_cast<RecordPane*>(frame.ActiveChild()->widget());
        pane->FilterField()->setText(QStringLiteral("bing.com"));
        pane->ApplyFilterNow();
        frame.RouteCommand(cmd::ViewTimeline);
        QCoreApplication::processEvents();
        saved = Save(frame, outputDir, "filtered-with-timeline.png") && saved;
    }

    frame.RouteCommand(cmd::HelpTopics);
    QCoreApplication::processEvents();
    if (auto* help = frame.findChild<QWidget*>(QStringLiteral("HelpWindow")))
        saved = Save(*help, outputDir, "help.png") && saved;
    app.ExitInstance();
    return saved ? 0 : 1;
}
