// Saves pictures of the main window and the details box for people to look at
// (make screenshots). Usage: tallowmark_screenshots FIXTURES_DIR OUTPUT_DIR
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QHeaderView>
#include <QSettings>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>

#include "actions/qt/FilePropertiesGeneral.h"
#include "model/ContainerFacts.h"
#include "presentation/EntryDetails.h"
#include "presentation/qt/RecordPane.h"
#include "presentation/qt/RecordTableModel.h"
#include "presentation/qt/TallowmarkView.h"
#include "shell/qt/ChildFrame.h"
#include "shell/CommandIds.h"
#include "shell/qt/MainFrame.h"
#include "shell/qt/TallowmarkApp.h"
#include "shell/qt/UserPrompts.h"
#include "shell/qt/DocumentLoad.h"
#include "shell/qt/DocumentManager.h"
#include "tools/SampleScene.h"
#ifdef TALLOWMARK_HAVE_GENERATOR
#include "bench/IndexGenerator.h"
#endif

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
    const std::string text = EntryDetailsWithEvidence(*view->Model().RecordAt(longest), view->GetDocument().PathName());
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

    // The documents as tabs.
    frame.RouteCommand(cmd::WindowTabbed);
    QCoreApplication::processEvents();
    saved = Save(frame, outputDir, "tabbed-view.png") && saved;
    frame.RouteCommand(cmd::WindowTabbed);

    // The leak sample's timeline: its LEAK rows show no dates, so no bar holds them.
    const QString leaks = QDir(QString::fromLocal8Bit(argv[1])).filePath(QStringLiteral("leaks-index.dat"));
    if (QFileInfo::exists(leaks) && app.OpenDocumentFile(leaks.toStdString())) {
        frame.ActiveChild()->showMaximized();
        frame.RouteCommand(cmd::ViewTimeline);
        QCoreApplication::processEvents();
        saved = Save(frame, outputDir, "timeline-leaks.png") && saved;
        frame.RouteCommand(cmd::ViewTimeline);
    }

#ifdef TALLOWMARK_HAVE_GENERATOR
    // A long load half way, as the status bar tells of it.
    QTemporaryDir largeDir;
    const std::string large = QDir(largeDir.path()).filePath(QStringLiteral("index.dat")).toStdString();
    testing::WriteFile(large, bench::GenerateIndexFile(std::size_t{256} << 20));
    frame.Documents().SetQuietLoad(std::chrono::milliseconds(0));
    bool caught = false;
    const QMetaObject::Connection watch =
        QObject::connect(&frame.Documents(), &DocumentManager::Loading, &frame, [&](const QString&, int percent) {
            if (caught || percent < 40) return;
            caught = true;
            saved = Save(frame, outputDir, "long-load.png") && saved;
        });
    app.OpenDocumentFile(large);
    QObject::disconnect(watch);
    if (!caught) std::printf("the load ended before it was half way: no long-load.png\n");
    frame.Documents().SetQuietLoad(kQuietLoad);
#endif

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

        // Its deleted entries drawn apart, then the columns of what each entry is.
        frame.RouteCommand(cmd::ViewTimeline);
        pane->FilterField()->clear();
        pane->ApplyFilterNow();
        TallowmarkView* historyView = frame.ActiveView();
        frame.RouteCommand(cmd::ViewBlankRecords);
        QCoreApplication::processEvents();
        saved = Save(frame, outputDir, "deleted-records.png") && saved;
        for (int column : {kColumnStatus, kColumnKind, kColumnUser, kColumnPageTitle, kColumnHits})
            historyView->SetExtraColumn(column, true);
        for (int section : {kColumnModified, kColumnCacheDir, kColumnFileName})
            historyView->horizontalHeader()->hideSection(section);
        QCoreApplication::processEvents();
        saved = Save(frame, outputDir, "extra-columns.png") && saved;

        // A visit's details with its evidence, and the file's contents.
        int titled = 0;
        for (int row = 0; row < historyView->model()->rowCount(); ++row)
            if (!ShownCellText(*historyView->Model().RecordAt(row), kColumnPageTitle, false).empty()) titled = row;
        std::unique_ptr<QDialog> visit = MakeDetailsBox(
            &frame, QString::fromStdString(EntryDetailsWithEvidence(*historyView->Model().RecordAt(titled),
                                                                    historyView->GetDocument().PathName()))
                        .replace("\r\n", "\n"));
        visit->show();
        QCoreApplication::processEvents();
        saved = Save(*visit, outputDir, "entry-details-evidence.png") && saved;
        visit.reset();
        const TallowmarkDoc& document = historyView->GetDocument();
        FilePropertiesSheet sheet(PropertiesOf(document), ContainerFactsText(ContainerFactsOf(document)), &frame);
        sheet.findChild<QTabWidget*>()->setCurrentIndex(1);
        sheet.show();
        QCoreApplication::processEvents();
        saved = Save(sheet, outputDir, "file-properties-contents.png") && saved;
    }

    frame.RouteCommand(cmd::HelpTopics);
    QCoreApplication::processEvents();
    if (auto* help = frame.findChild<QWidget*>(QStringLiteral("HelpWindow")))
        saved = Save(*help, outputDir, "help.png") && saved;
    app.ExitInstance();
    return saved ? 0 : 1;
}
