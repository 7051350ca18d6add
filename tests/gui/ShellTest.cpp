#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QTimer>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMdiArea>
#include <QMimeData>
#include <QSettings>
#include <QStatusBar>
#include <QTest>
#include <QTextBrowser>
#include <QToolBar>
#include <QToolButton>
#include <QWhatsThis>
#include <filesystem>
#include <sstream>

#include "GuiTestSupport.h"
#include "discovery/qt/FindFilesDlg.h"
#include "model/Digest.h"
#include "presentation/CsvExport.h"
#include "presentation/qt/RecordTableModel.h"
#include "presentation/qt/TallowmarkView.h"
#include "shell/qt/ChildFrame.h"
#include "shell/CommandTable.h"
#include "model/TimeText.h"
#include "support/IndexFileBuilder.h"
#include "tools/SampleScene.h"

namespace tallowmark::gui_testing {
namespace {

using testing::IndexFileBuilder;

std::vector<std::uint8_t> SmallIndex() {
    IndexFileBuilder builder;
    builder.Hash(1).Url({.url = "http://one/", .modified = testing::FileTimeOf(2008, 3, 5, 14, 7)});
    builder.Blank().BadFood().Leak({.url = "http://leak/"}).Redirect("http://two/");
    return builder.Bytes();
}

#ifdef _WIN32
const QString kDeleteOnRestartItem = "&Delete on Windows Restart";
#else
const QString kDeleteOnRestartItem = "&Delete on Restart";  // no Windows restart here
#endif

bool Enabled(MainFrame& frame, int id) {
    frame.UpdateCommandUi();
    return frame.Action(id)->isEnabled();
}

TEST_F(GuiTest, NoDocumentMenuAndToolbarStates) {
    EXPECT_EQ(MenuTitles(), (std::vector<QString>{"&File", "&View", "&Help"}));
    EXPECT_EQ(MenuItems(0),
              (std::vector<QString>{"&Open...\tCtrl+O", "Open &Image...", "&Find index.dat Files...\tCtrl+Shift+F", "-", "Recent File", "-",
                                    "E&xit"}));
    EXPECT_EQ(MenuItems(2), (std::vector<QString>{"&Help Topics\tF1", "-", "&About Tallowmark..."}));
    EXPECT_EQ(Frame().windowTitle(), "Tallowmark");
    for (int id : {cmd::FileSaveAs, cmd::EditCut, cmd::EditCopy, cmd::EditPaste, cmd::EntryDetails, cmd::RecentFirst})
        EXPECT_FALSE(Enabled(Frame(), id)) << id;
    for (int id : {cmd::FileOpen, cmd::AppAbout, cmd::ContextHelp, cmd::AppExit, cmd::ViewToolbar})
        EXPECT_TRUE(Enabled(Frame(), id)) << id;
    EXPECT_TRUE(Frame().Action(cmd::ViewToolbar)->isChecked());
    EXPECT_EQ(Frame().Action(cmd::FileOpen)->statusTip(), "Open an existing document");
    EXPECT_EQ(Frame().Action(cmd::FileOpen)->toolTip(), "Open");
    // Without an icon theme, as here, each button shows our own drawing.
    for (int id : ToolbarLayout()) {
        if (id == 0) continue;
        const QImage picture = Frame().Action(id)->icon().pixmap(QSize(16, 15)).toImage();
        bool drawn = false;
        for (int y = 0; y < picture.height() && !drawn; ++y)
            for (int x = 0; x < picture.width() && !drawn; ++x) drawn = qAlpha(picture.pixel(x, y)) != 0;
        EXPECT_TRUE(drawn) << id;
    }
}

TEST_F(GuiTest, FileOpenShowsTheDocumentMenuAndTheFullPath) {
    const QString path = WriteIndex("index.dat", SmallIndex());
    TallowmarkDoc* document = FileOpen(path);
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(QString::fromStdString(document->Title()), path);
    EXPECT_EQ(Frame().windowTitle(), "Tallowmark - " + path);
    EXPECT_EQ(Prompts().lastFilters.back(), "index.dat Files (index.dat);;All Files (*)");
    EXPECT_EQ(MenuTitles(), (std::vector<QString>{"&File", "&Edit", "&View", "&Options", "&Window", "&Help"}));
    EXPECT_EQ(
        MenuItems(0),
        (std::vector<QString>{"&Open...\tCtrl+O", "Open &Image...", "&Find index.dat Files...\tCtrl+Shift+F", "&Close\tCtrl+F4",
                              "Save &As...\tCtrl+S", kDeleteOnRestartItem, "&Export...\tCtrl+E",
                              "Export &Timeline...\tCtrl+Shift+E", "-", "Propert&ies\tAlt+Enter", "-",
                              QString::fromStdString(App().RecentFiles().MenuText(0)), "-", "E&xit"}));
    EXPECT_EQ(MenuItems(1),
              (std::vector<QString>{"&Undo\tCtrl+Z", "-", "Cu&t\tCtrl+X", "&Copy\tCtrl+C", "&Paste\tCtrl+V", "-",
                                    "Select &All\tCtrl+A", "&Filter Records\tCtrl+F"}));
    EXPECT_EQ(MenuItems(2),
              (std::vector<QString>{"&Toolbar", "&Status Bar", "-", "&Entry Details\tEnter",
                                    "Cached &File Using Default Application", "Cached File Using &Notepad\tCtrl+N", "-",
                                    "Time&line\tCtrl+T", "&Mark Deleted Records"}));
    EXPECT_EQ(MenuItems(3), (std::vector<QString>{"Display &Blank Records\tCtrl+B", "Display 0BA&DF00D Records\tCtrl+D",
                                                  "-", "&Save Settings as Defaults"}));
    EXPECT_EQ(MenuItems(4),
              (std::vector<QString>{"&New Window", "&Cascade", "&Tile", "&Arrange Icons", "Ta&bbed View", "-",
                                    "&1 " + path}));
    EXPECT_EQ(MenuItems(5), (std::vector<QString>{"&Help Topics\tF1", "-", "&About Tallowmark..."}));
    for (int id : {cmd::FileSaveAs, cmd::FileClose, cmd::Export, cmd::ViewBlankRecords, cmd::WindowNew})
        EXPECT_TRUE(Enabled(Frame(), id)) << id;
    for (int id : {cmd::EditUndo, cmd::EditCut, cmd::EditCopy, cmd::EditPaste, cmd::EntryDetails})
        EXPECT_FALSE(Enabled(Frame(), id)) << id;
    EXPECT_TRUE(Frame().Action(cmd::ViewBlankRecords)->isChecked());

    // Opening it again reads nothing and keeps one window.
    EXPECT_EQ(FileOpen(path), document);
    EXPECT_EQ(Frame().Frames().size(), 1u);
    EXPECT_EQ(Frame().ActiveView()->Model().rowCount(), 6);
    EXPECT_EQ(Frame().ActiveView()->Model().columnCount(), 8);
}

// An empty file holds no signature either.
TEST_F(GuiTest, AFileThatIsNoIndexShowsTheMessageAndNoWindow) {
    const QString notes =
        WriteIndex("notes.txt", {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '!', '!', '!', '!', '!'});
    for (const QString& path : {notes, WriteIndex("zero.dat", {})}) {
        Prompts().messages.clear();
        EXPECT_EQ(FileOpen(path), nullptr);
        ASSERT_EQ(Prompts().messages.size(), 1u);
        EXPECT_EQ(Prompts().messages[0].icon, UserPrompts::Icon::Warning);
        EXPECT_EQ(Prompts().messages[0].text, "Unexpected file format.");
        EXPECT_TRUE(Frame().Frames().empty());
    }
}

TEST_F(GuiTest, EmptyDocumentsAreReported) {
    const QString noRecords = WriteIndex("norecords.dat", IndexFileBuilder().Bytes());
    FileOpen(noRecords);
    ASSERT_EQ(Prompts().messages.size(), 1u);
    EXPECT_TRUE(Prompts().messages[0].text.startsWith("No records were found in this index.dat file."));
    EXPECT_TRUE(Prompts().messages[0].text.endsWith("\n\n" + noRecords));
}

TEST_F(GuiTest, RecentFilesPersistAndKeepTheBareTitle) {
    const QString first = WriteIndex("first.dat", SmallIndex());
    const QString second = WriteIndex("second.dat", SmallIndex());
    FileOpen(first);
    FileOpen(second);
    Restart();
    QSettings settings;
    EXPECT_EQ(settings.value("Recent File List/File1").toString(), second);
    EXPECT_EQ(settings.value("Recent File List/File2").toString(), first);
    const std::vector<QString> file = MenuItems(0);
    EXPECT_TRUE(file[4].startsWith("&1 ")) << file[4].toStdString();
    EXPECT_TRUE(file[4].endsWith("second.dat"));
    EXPECT_LE(file[4].size(), 33);

    Frame().RouteCommand(cmd::RecentFirst + 1);
    ASSERT_NE(Frame().ActiveChild(), nullptr);
    EXPECT_EQ(Frame().ActiveView()->GetDocument().PathName(), first.toStdString());  // still its own file
    EXPECT_EQ(App().RecentFiles().Paths().front(), first.toStdString());

    // Opening an open file again activates it and leaves the list's order alone.
    FileOpen(second);
    FileOpen(first);
    EXPECT_EQ(App().RecentFiles().Paths().front(), second.toStdString());
    EXPECT_EQ(Frame().ActiveChild()->View()->GetDocument().PathName(), first.toStdString());

    // An entry whose file is gone leaves the list after its message.
    for (int open = 0; open < 2; ++open) {
        Frame().RouteCommand(cmd::FileClose);
        QCoreApplication::processEvents();
    }
    ASSERT_TRUE(Frame().Frames().empty());
    QFile::remove(second);
    Frame().RouteCommand(cmd::RecentFirst);
    EXPECT_EQ(App().RecentFiles().Paths(), std::vector<std::string>{first.toStdString()});
}

TEST_F(GuiTest, ADroppedFileOpensWithItsBareTitle) {
    const QString path = WriteIndex("dropped.dat", SmallIndex());
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&Frame(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&Frame(), &drop);
    EXPECT_TRUE(Frame().Frames().empty()) << "opened before the drop completed";
    QCoreApplication::processEvents();
    ASSERT_NE(Frame().ActiveChild(), nullptr);
    EXPECT_EQ(Frame().ActiveChild()->windowTitle(), "dropped.dat");
    EXPECT_EQ(Frame().windowTitle(), "Tallowmark - dropped.dat");
    EXPECT_EQ(App().RecentFiles().Paths().front(), path.toStdString());
}

TEST_F(GuiTest, CaptionsCascadeAndTheCloseKey) {
    const QString first = WriteIndex("first.dat", SmallIndex());
    App().OpenDocumentFile(first);
    Frame().RouteCommand(cmd::WindowNew);
    // The main caption names the document; ":2" belongs to the child's caption only.
    EXPECT_EQ(Frame().ActiveChild()->windowTitle(), "first.dat:2");
    EXPECT_EQ(Frame().windowTitle(), "Tallowmark - first.dat");
    Frame().ActiveChild()->showMaximized();
    EXPECT_EQ(Frame().windowTitle(), "Tallowmark - [first.dat:2]");
    Frame().ActiveChild()->showNormal();
    EXPECT_EQ(Frame().windowTitle(), "Tallowmark - first.dat");

    // New windows open one step further, wholly inside the workspace and using most of it.
    App().OpenDocumentFile(WriteIndex("second.dat", SmallIndex()));
    const QRect workspace = Frame().MdiArea()->viewport()->rect();
    auto checkPlaces = [&workspace](const std::vector<ChildFrame*>& frames) {
        for (std::size_t i = 0; i < frames.size(); ++i) {
            const QRect place = frames[i]->geometry();
            EXPECT_TRUE(workspace.contains(place)) << i;
            EXPECT_GE(place.width(), workspace.width() * 2 / 3) << i;
            EXPECT_GE(place.height(), workspace.height() * 2 / 3) << i;
            if (i > 0) {
                EXPECT_GT(place.top(), frames[i - 1]->geometry().top()) << i;
            }
        }
    };
    checkPlaces(Frame().Frames());
    Frame().RouteCommand(cmd::WindowCascade);
    checkPlaces(Frame().Frames());

    // Ctrl+F4 closes the active window only; the document goes with its last one.
    Frame().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Frame()));
    QTest::keyClick(Frame().ActiveView(), Qt::Key_F4, Qt::ControlModifier);

    QCoreApplication::processEvents();
    ASSERT_EQ(Frame().Frames().size(), 2u);
    for (ChildFrame* frame : Frame().Frames()) EXPECT_TRUE(frame->windowTitle().startsWith("first.dat:"));
}

TEST_F(GuiTest, TileStacksTheWindowsAtTheWorkspacesFullWidthTheActiveOneOnTop) {
    App().OpenDocumentFile(WriteIndex("first.dat", SmallIndex()));
    App().OpenDocumentFile(WriteIndex("second.dat", SmallIndex()));
    Frame().ActiveChild()->showMaximized();
    Frame().RouteCommand(cmd::WindowTile);
    const QSize workspace = Frame().MdiArea()->viewport()->size();
    const QRect top = Frame().ActiveChild()->geometry();
    EXPECT_FALSE(Frame().ActiveChild()->isMaximized());
    EXPECT_EQ(Frame().ActiveChild()->windowTitle(), "second.dat");
    EXPECT_EQ(top, QRect(0, 0, workspace.width(), (workspace.height() + 1) / 2));
    EXPECT_EQ(Frame().Frames().front()->geometry(),
              QRect(0, top.bottom() + 1, workspace.width(), workspace.height() - top.height()));
}

TEST_F(GuiTest, OptionsAndDefaultsReachOnlyNewViews) {
    const QString path = WriteIndex("index.dat", SmallIndex());
    FileOpen(path);
    TallowmarkView* view = Frame().ActiveView();
    Frame().RouteCommand(cmd::ViewBlankRecords);
    Frame().RouteCommand(cmd::ViewBadfoodRecords);
    EXPECT_EQ(view->Model().rowCount(), 4);
    EXPECT_FALSE(Frame().Action(cmd::ViewBlankRecords)->isChecked());
    EXPECT_TRUE(App().GetDefaultViewBlankRecords());

    Frame().RouteCommand(cmd::WindowNew);  // a new view still starts from the defaults
    TallowmarkView* second = Frame().ActiveView();
    ASSERT_NE(second, view);
    EXPECT_EQ(second->Model().rowCount(), 6);
    Frame().RouteCommand(cmd::ViewBlankRecords);
    Frame().RouteCommand(cmd::SaveSettingsAsDefaults);
    EXPECT_FALSE(App().GetDefaultViewBlankRecords());
    EXPECT_EQ(QSettings().value("Settings/ViewBlankRecords").toInt(), 0);
    EXPECT_EQ(QSettings().value("Settings/ViewBadfoodRecords").toInt(), 1);
    EXPECT_EQ(view->Model().rowCount(), 4);  // open views keep their own options

    Frame().RouteCommand(cmd::WindowNew);
    EXPECT_EQ(Frame().ActiveView()->Model().rowCount(), 5);
    const auto frames = Frame().Frames();
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_TRUE(frames[0]->windowTitle().endsWith(":1"));
    EXPECT_TRUE(frames[2]->windowTitle().endsWith(":3"));

    Frame().RouteCommand(cmd::FileClose);  // every window of the document
    QCoreApplication::processEvents();
    EXPECT_TRUE(Frame().Frames().empty());
}

TEST_F(GuiTest, UnusableDefaultsCountAsOn) {
    App().ExitInstance();
    QSettings().setValue("Settings/ViewBlankRecords", 0);
    QSettings().setValue("Settings/ViewBadfoodRecords", "rubbish");
    App().InitInstance();
    EXPECT_FALSE(App().GetDefaultViewBlankRecords());
    EXPECT_TRUE(App().GetDefaultViewBadfoodRecords());
}

TEST_F(GuiTest, EnterShowsDetailsOnlyWithASelectionMark) {
    FileOpen(WriteIndex("index.dat", SmallIndex()));
    Frame().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Frame()));
    TallowmarkView* view = Frame().ActiveView();
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Return);  // no selection mark: nothing happens
    EXPECT_TRUE(Prompts().messages.empty());
    view->setCurrentIndex(view->model()->index(0, 0));
    QTest::keyClick(view, Qt::Key_Return);
    ASSERT_EQ(Prompts().messages.size(), 1u);
    EXPECT_EQ(Prompts().messages[0].icon, UserPrompts::Icon::Information);
    EXPECT_TRUE(Prompts().messages[0].text.startsWith("File:\n"));
    EXPECT_TRUE(Prompts().messages[0].text.contains("\nRecord Number: 1\nRecord Type: HASH\nRecord Size: 128 bytes"));
}

TEST_F(GuiTest, EveryAcceleratorReachesItsCommand) {
    FileOpen(WriteIndex("index.dat", SmallIndex()));
    Frame().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Frame()));
    TallowmarkView* view = Frame().ActiveView();
    view->setCurrentIndex(view->model()->index(1, 0));
    // Each key is to trigger its command's action, and no other; the commands themselves
    // do not run here.
    std::vector<int> reached;
    for (QAction* action : Frame().actions()) {
        QObject::disconnect(action, &QAction::triggered, &Frame(), nullptr);
        QObject::connect(action, &QAction::triggered,
                         [&reached, action] { reached.push_back(action->data().toInt()); });
        action->setEnabled(true);
    }
    const std::vector<std::pair<const char*, int>> table = {
        {"Ctrl+B", cmd::ViewBlankRecords},  {"Ctrl+C", cmd::EditCopy},
        {"Ctrl+Ins", cmd::EditCopy},        {"Ctrl+D", cmd::ViewBadfoodRecords},
        {"Ctrl+N", cmd::CachedFileNotepad}, {"Ctrl+O", cmd::FileOpen},
        {"Ctrl+S", cmd::FileSaveAs},        {"Ctrl+V", cmd::EditPaste},
        {"Shift+Ins", cmd::EditPaste},      {"Ctrl+X", cmd::EditCut},
        {"Shift+Del", cmd::EditCut},        {"Ctrl+Z", cmd::EditUndo},
        {"Alt+Backspace", cmd::EditUndo},   {"F1", cmd::Help},
        {"Shift+F1", cmd::ContextHelp},     {"F6", cmd::NextPane},
        {"Shift+F6", cmd::PrevPane},        {"Return", cmd::EntryDetails},
        {"Enter", cmd::EntryDetails},       {"Alt+Return", cmd::FileProperties},
    };
    for (const auto& [key, id] : table) {
        reached.clear();
        QTest::keySequence(view, QKeySequence(QString::fromLatin1(key)));
        EXPECT_EQ(reached, std::vector<int>{id}) << key;
    }
}

TEST_F(GuiTest, EntryDetailsOfTheCurrentRowAndOnDoubleClick) {
    FileOpen(WriteIndex("index.dat", SmallIndex()));
    TallowmarkView* view = Frame().ActiveView();
    view->setCurrentIndex(view->model()->index(5, 0));
    EXPECT_TRUE(Enabled(Frame(), cmd::EntryDetails));
    Frame().RouteCommand(cmd::EntryDetails);
    ASSERT_EQ(Prompts().messages.size(), 1u);
    EXPECT_TRUE(Prompts().messages[0].text.contains(
        "Record Type: REDR\nRecord Size: 128 bytes\n\nDetails:\nURL: http://two/\n"));

    const QPoint second = view->visualRect(view->model()->index(1, 2)).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, second);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, second);
    ASSERT_EQ(Prompts().messages.size(), 2u);
    EXPECT_TRUE(Prompts().messages[1].text.contains("Record Number: 2\nRecord Type: URL"));

    // The real box keeps every character of a long URL in sight: wrapped, inside the screen.
    const QString text = "URL: http://x/" + QString(3000, QLatin1Char('a'));
    std::unique_ptr<QDialog> box = MakeDetailsBox(&Frame(), text);
    box->show();
    QCoreApplication::processEvents();
    auto* body = box->findChild<QPlainTextEdit*>();
    ASSERT_NE(body, nullptr);
    EXPECT_EQ(body->toPlainText(), text);
    EXPECT_EQ(body->horizontalScrollBar()->maximum(), 0);
    EXPECT_LE(box->frameGeometry().width(), box->screen()->availableGeometry().width());
}

TEST_F(GuiTest, AVersionFourFileHasSixColumnsWideEnoughForItsNumbers) {
    IndexFileBuilder builder(testing::kVersion4);
    builder.Url({.url = "http://four/", .modified = testing::FileTimeOf(2003, 5, 6, 7, 8), .fileName = "f.htm"});
    builder.Url({.url = "http://big/", .countField = 0x7FFFFF});  // claims a gigabyte; the file ends first
    FileOpen(WriteIndex("v4.dat", builder.Bytes()));
    TallowmarkView* view = Frame().ActiveView();
    ASSERT_EQ(view->model()->columnCount(), 6);
    std::vector<QString> titles;
    for (int column = 0; column < 6; ++column)
        titles.push_back(view->model()->headerData(column, Qt::Horizontal).toString());
    EXPECT_EQ(titles, (std::vector<QString>{"No.", "Type", "Data", "Size", "Modified Date", "Accessed Date"}));
    EXPECT_EQ(
        view->model()->index(0, 4).data().toString(),
        QString::fromStdString(FormatTime(ToTimeValue(testing::FileTimeOf(2003, 5, 6, 7, 8)), SHORT_TIME_FORMAT)));
    const QString largest = view->model()->index(1, 3).data().toString();
    EXPECT_EQ(largest, "1073741696");
    EXPECT_GE(view->horizontalHeader()->sectionSize(3), view->fontMetrics().horizontalAdvance(largest) + 8);
    EXPECT_EQ(view->horizontalHeader()->sectionSize(0), 50);  // never narrower than the classic widths
}

TEST_F(GuiTest, CacheNamesFitTheirColumnsUntilTheUserSizesThem) {
    const std::string longName = "ordinary-name-of-a-cached-page[1].htm";
    IndexFileBuilder builder;
    builder.CacheDir(0, "WMWMWMWM").CacheDir(1, "ABCD1234").Hash(1);
    builder.Url({.url = "http://a/", .fileName = longName, .dirIndex = 0});
    builder.Url({.url = "http://b/", .fileName = "b[1].gif", .dirIndex = 1});
    builder.Leak({.url = "http://c/", .fileName = std::string(300, 'W')});  // shown empty: no width for it
    FileOpen(WriteIndex("index.dat", builder.Bytes()));
    TallowmarkView* view = Frame().ActiveView();
    QHeaderView* header = view->horizontalHeader();
    auto advance = [view](const std::string& text) { return view->fontMetrics().horizontalAdvance(text.c_str()); };
    EXPECT_GT(header->sectionSize(6), advance("WMWMWMWM"));
    EXPECT_GT(header->sectionSize(7), advance(longName));
    EXPECT_LT(header->sectionSize(7), advance(std::string(300, 'W')));

    // A name longer than a third of the screen is cut there.
    IndexFileBuilder huge;
    huge.Hash(1).Url({.url = "http://h/", .fileName = std::string(300, 'W')});
    FileOpen(WriteIndex("huge.dat", huge.Bytes()));
    EXPECT_EQ(Frame().ActiveView()->horizontalHeader()->sectionSize(7), view->screen()->availableGeometry().width() / 3);

    // A width the user dragged stays through a refill.
    header->resizeSection(7, 40);
    Frame().MdiArea()->setActiveSubWindow(Frame().Frames().front());
    Frame().RouteCommand(cmd::ViewBlankRecords);
    EXPECT_EQ(header->sectionSize(7), 40);
}

TEST_F(GuiTest, ExportThroughTheCommand) {
    const QString path = WriteIndex("index.dat", SmallIndex());
    FileOpen(path);
    Frame().RouteCommand(cmd::ViewBlankRecords);
    const QString out = QString::fromStdString(m_files.Path("out.csv"));
    Prompts().answers.push_back(out);
    Frame().RouteCommand(cmd::Export);
    EXPECT_EQ(Prompts().lastFilters.back(), "CSV Files (*.csv);;Text Files (*.txt);;All Files (*) | csv");
    const auto written = testing::ReadFile(out.toStdString());
    std::ostringstream expected;
    WriteCsv(expected, Frame().ActiveView()->GetDocument(), {false, true});
    EXPECT_EQ(std::string(written.begin(), written.end()), expected.str());

    Frame().RouteCommand(cmd::Export);  // Cancel writes nothing
    EXPECT_TRUE(Prompts().messages.empty());

    const QString bad = QString::fromStdString(m_files.Path("missing/out.csv"));
    Prompts().answers.push_back(bad);
    Frame().RouteCommand(cmd::Export);
    ASSERT_EQ(Prompts().messages.size(), 1u);
    EXPECT_EQ(Prompts().messages[0].icon, UserPrompts::Icon::Critical);
    EXPECT_TRUE(Prompts().messages[0].text.contains(bad));
}

TEST_F(GuiTest, SaveAsWritesTheCopyAndTakesItsName) {
    const auto bytes = SmallIndex();
    FileOpen(WriteIndex("index.dat", bytes));
    const QString copy = QString::fromStdString(m_files.Path("copy.dat"));
    Prompts().answers.push_back(copy);
    Frame().RouteCommand(cmd::FileSaveAs);
    EXPECT_EQ(Prompts().lastFilters.back(), "Index Files (*.dat) | dat");
    EXPECT_EQ(testing::ReadFile(copy.toStdString()), bytes);
    EXPECT_EQ(Frame().ActiveChild()->windowTitle(), "copy.dat");
    EXPECT_EQ(Frame().statusBar()->currentMessage().toStdString(),
              "Saved a copy of index.dat (SHA-256 " + Sha256Of(bytes) + ")");
}

// The file of any open document is evidence: Export and Save As onto it, by its name or
// through a link, show a stop box naming it and write nothing.
TEST_F(GuiTest, ExportAndSaveAsNeverWriteOntoAnOpenDocument) {
    IndexFileBuilder builder;
    builder.Hash(1).Url({.url = "http://kept/"}).Unrecognised().Blank();
    const auto bytes = builder.Bytes();
    const QString first = WriteIndex("first.dat", bytes), second = WriteIndex("second.dat", bytes);
    FileOpen(second);
    FileOpen(first);
    std::filesystem::create_hard_link(m_files.Path("second.dat"), m_files.Path("hard.dat"));
    std::filesystem::create_symlink(m_files.Path("first.dat"), m_files.Path("link.dat"));
    for (const char* name : {"first.dat", "second.dat", "hard.dat", "link.dat"}) {
        const QString target = QString::fromStdString(m_files.Path(name));
        for (const int command : {cmd::Export, cmd::FileSaveAs}) {
            Prompts().messages.clear();
            Prompts().answers.push_back(target);
            Frame().RouteCommand(command);
            ASSERT_EQ(Prompts().messages.size(), 1u) << name;
            EXPECT_EQ(Prompts().messages[0].icon, UserPrompts::Icon::Critical);
            EXPECT_TRUE(Prompts().messages[0].text.startsWith(target + " is the file of the open document "))
                << Prompts().messages[0].text.toStdString();
        }
    }
    EXPECT_EQ(testing::ReadFile(first.toStdString()), bytes);
    EXPECT_EQ(testing::ReadFile(second.toStdString()), bytes);
    EXPECT_EQ(Frame().ActiveView()->GetDocument().PathName(), first.toStdString());  // still its own file
}

// An exception out of an event handler (an allocation that fails, say) ends that command
// with a stop box, not the program with all its windows.
TEST_F(GuiTest, AnExceptionInAnEventEndsTheCommandNotTheProgram) {
    class Failing : public QObject {
    public:
        bool event(QEvent*) override { throw std::bad_alloc(); }
    } failing;
    QEvent event(QEvent::User);
    EXPECT_FALSE(QCoreApplication::sendEvent(&failing, &event));
    QCoreApplication::processEvents();
    ASSERT_EQ(Prompts().messages.size(), 1u);
    EXPECT_EQ(Prompts().messages[0].icon, UserPrompts::Icon::Critical);
    EXPECT_EQ(Prompts().messages[0].text, "The last command could not be completed (not enough memory).");
}

TEST_F(GuiTest, HeaderClicksSortAndShareTheToggleAcrossViews) {
    FileOpen(WriteIndex("index.dat", SmallIndex()));
    TallowmarkView* first = Frame().ActiveView();
    emit first->horizontalHeader()->sectionClicked(0);  // the first click on "No." reverses
    EXPECT_EQ(first->Model().RecordAt(0)->TypeName(), "REDR");
    EXPECT_TRUE(first->horizontalHeader()->isSortIndicatorShown());
    EXPECT_EQ(first->horizontalHeader()->sortIndicatorSection(), 0);
    EXPECT_EQ(first->horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);
    first->setCurrentIndex(first->model()->index(0, 0));
    emit first->horizontalHeader()->sectionClicked(4);
    EXPECT_EQ(first->CurrentRecord()->TypeName(), "REDR");      // the current row follows its record
    EXPECT_EQ(first->Model().RecordAt(0)->TypeName(), "LEAK");  // its time 0 sorts before 2008

    Frame().RouteCommand(cmd::WindowNew);
    TallowmarkView* second = Frame().ActiveView();
    emit second->horizontalHeader()->sectionClicked(4);  // same column, other view: descending
    EXPECT_EQ(g_lastSortColumn, -1);
    EXPECT_EQ(second->horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);
    Frame().RouteCommand(cmd::ViewBlankRecords);  // refills in file order
    EXPECT_EQ(second->Model().RecordAt(0)->TypeName(), "HASH");
    EXPECT_FALSE(second->horizontalHeader()->isSortIndicatorShown());
}

TEST_F(GuiTest, ToolbarStatusBarAndHelp) {
    EXPECT_EQ(Frame().statusBar()->findChildren<QLabel*>().size(), 5);  // message, record count, CAP, NUM, SCRL
    Frame().RouteCommand(cmd::ViewToolbar);
    Frame().UpdateCommandUi();
    EXPECT_FALSE(Frame().Action(cmd::ViewToolbar)->isChecked());
    Frame().RouteCommand(cmd::ViewToolbar);

    // Help shows in a window of our own, whatever the desktop offers.
    Frame().RouteCommand(cmd::HelpTopics);
    auto* help = Frame().findChild<QTextBrowser*>("HelpWindow");
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_TRUE(help->toPlainText().contains("Tallowmark Help"));
    EXPECT_TRUE(Prompts().openedUrls.empty());
    // It closes like the other windows, by Escape or Ctrl+W.
    for (const QKeyCombination key : {QKeyCombination(Qt::Key_Escape), Qt::CTRL | Qt::Key_W}) {
        Frame().RouteCommand(cmd::HelpTopics);
        ASSERT_TRUE(QTest::qWaitForWindowActive(help));
        QTest::keyClick(help, key.key(), key.keyboardModifiers());
        EXPECT_FALSE(help->isVisible()) << QKeySequence(key).toString().toStdString();
    }

    // What's This has something to say about every toolbar button and the list.
    for (QToolButton* button : Frame().findChildren<QToolButton*>())
        if (button->defaultAction()) {
            EXPECT_FALSE(button->whatsThis().isEmpty()) << button->toolTip().toStdString();
        }
    EXPECT_EQ(Frame().Action(cmd::FileSaveAs)->whatsThis(), "Save the active document with a new name");
    FileOpen(WriteIndex("index.dat", SmallIndex()));
    EXPECT_FALSE(Frame().ActiveView()->whatsThis().isEmpty());
}

// Every window on screen, but menus and tips, that shows no title.
std::vector<QString> UntitledWindows() {
    std::vector<QString> untitled;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible() && (window->windowType() == Qt::Window || window->windowType() == Qt::Dialog) &&
            window->windowTitle().isEmpty())
            untitled.push_back(QString::fromLatin1(window->metaObject()->className()));
    return untitled;
}

TEST_F(GuiTest, EveryWindowOfTheProgramHasATitle) {
    FileOpen(WriteIndex("index.dat", SmallIndex()));
    std::vector<QString> untitled;
    auto look = [&untitled] {
        for (const QString& name : UntitledWindows()) untitled.push_back(name);
    };
    std::vector<QString> titles;
    auto lookAt = [&](QWidget& window) {
        titles.push_back(window.windowTitle());
        look();
        window.close();
    };
    Prompts().onModal = [&](QDialog& dialog) {
        dialog.show();
        lookAt(dialog);
    };
    Frame().RouteCommand(cmd::FileProperties);
    Frame().RouteCommand(cmd::AppAbout);
    Frame().RouteCommand(cmd::HelpTopics);
    look();
    FindFilesDlg findFiles(Prompts(), &Frame(), [](FindFilesSink*) { return 0; });
    findFiles.show();
    lookAt(findFiles);
    std::unique_ptr<QDialog> details = MakeDetailsBox(&Frame(), "URL: http://one/");
    details->show();
    lookAt(*details);
    // The boxes and file dialogs that the prompts show outside the tests.
    UserPrompts real;
    auto lookAtNextModal = [&] {
        QTimer::singleShot(0, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            ASSERT_NE(modal, nullptr);
            lookAt(*modal);
        });
    };
    lookAtNextModal();
    real.Message(&Frame(), UserPrompts::Icon::Warning, "Unexpected file format.");
    lookAtNextModal();
    real.AskYesNoCancel(&Frame(), "Do you have a question?");
    lookAtNextModal();
    real.AskOpenPaths(&Frame(), "All Files (*)", QString());
    lookAtNextModal();
    real.AskSavePath(&Frame(), "CSV Files (*.csv)", "csv", QString(), "index.csv");
    EXPECT_EQ(titles, (std::vector<QString>{"Tallowmark", "About Tallowmark", "Find Files...", "Tallowmark",
                                            "Tallowmark", "Tallowmark", "Open", "Save As"}));
    EXPECT_TRUE(untitled.empty()) << untitled.front().toStdString();
}

TEST_F(GuiTest, FileDialogsStartWhereTheUserWorks) {
    const QString folder = QString::fromStdString(m_files.Path("cases"));
    QDir().mkpath(folder);
    const QString path = WriteIndex("cases/history.index.dat", SmallIndex());
    FileOpen(path);  // the first Open starts in the working folder
    Frame().RouteCommand(cmd::FileOpen);
    Frame().RouteCommand(cmd::Export);
    Frame().RouteCommand(cmd::FileSaveAs);
    EXPECT_EQ(Prompts().startPlaces,
              (std::vector<std::pair<QString, QString>>{
                  {"", ""}, {folder, ""}, {folder, "history.index.csv"}, {folder, "history.index.dat"}}));
    Restart();
    Frame().RouteCommand(cmd::FileOpen);
    EXPECT_EQ(Prompts().startPlaces.back().first, folder);

    // The real dialog shows that folder and name.
    QString shown;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        shown = dialog->selectedFiles().value(0);
        dialog->reject();
    });
    UserPrompts().AskSavePath(&Frame(), "CSV Files (*.csv)", "csv", folder, "history.index.csv");
    EXPECT_EQ(shown, folder + "/history.index.csv");
}

// What `make screenshots` shows: the real samples open, the last maximised.
TEST_F(GuiTest, TheScreenshotSceneShowsEveryRecordReadably) {
    const QStringList files = SampleFiles(QStringLiteral(TALLOWMARK_FIXTURES_DIR));
    if (files.size() < 3) GTEST_SKIP() << "no real sample files here";
    ASSERT_TRUE(ArrangeSampleScene(Frame(), files));
    EXPECT_EQ(Frame().windowTitle(), "Tallowmark - [content-ie5-index.dat]");
    for (ChildFrame* frame : Frame().Frames()) {
        TallowmarkView* view = frame->View();
        const TallowmarkDoc& document = view->GetDocument();
        EXPECT_EQ(static_cast<std::size_t>(view->model()->rowCount()), document.RecordCount());
        EXPECT_EQ(view->model()->headerData(7, Qt::Horizontal).toString(), "Filename");
        EXPECT_FALSE(frame->windowIcon().isNull());
        // Every record number, size and cache name fits its column ("Filename" up to a
        // third of the screen).
        for (int column : {0, 3, 6, 7}) {
            int widest = 0;
            for (int row = 0; row < view->model()->rowCount(); ++row)
                widest = std::max(
                    widest, view->fontMetrics().horizontalAdvance(view->model()->index(row, column).data().toString()));
            if (column == 7) widest = std::min(widest, view->screen()->availableGeometry().width() / 3 - 1);
            EXPECT_LT(widest, view->horizontalHeader()->sectionSize(column)) << column;
        }
    }
    EXPECT_TRUE(Frame().ActiveChild()->isMaximized());
    EXPECT_EQ(Frame().ActiveView()->CurrentRecord()->RecordNumber(), 3u);
}

}  // namespace
}  // namespace tallowmark::gui_testing
