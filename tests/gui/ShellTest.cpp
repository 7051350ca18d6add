#include <QAction>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <sstream>
#include <QMdiArea>
#include <QSettings>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>

#include "GuiTestSupport.h"
#include "presentation/RecordTableModel.h"
#include "presentation/TallowmarkView.h"
#include "shell/ChildFrame.h"
#include "shell/CommandTable.h"
#include "support/IndexFileBuilder.h"

namespace tallowmark::gui_testing {
namespace {

using testing::IndexFileBuilder;

std::vector<std::uint8_t> SmallIndex() {
    IndexFileBuilder builder;
    builder.Hash(1).Url({.url = "http://one/", .modified = testing::FileTimeOf(2008, 3, 5, 14, 7)});
    builder.Blank().BadFood().Leak({.url = "http://leak/"}).Redirect("http://two/");
    return builder.Bytes();
}

bool Enabled(MainFrame& frame, int id) {
    frame.UpdateCommandUi();
    return frame.Action(id)->isEnabled();
}

TEST_F(GuiTest, NoDocumentMenuAndToolbarStates) {
    EXPECT_EQ(MenuTitles(), (std::vector<QString>{"&File", "&View", "&Help"}));
    EXPECT_EQ(MenuItems(0), (std::vector<QString>{"&Open...\tCtrl+O", "&Find index.dat Files...", "-", "Recent File",
                                                  "-", "E&xit"}));
    EXPECT_EQ(MenuItems(2), (std::vector<QString>{"&Help Topics", "-", "&About Tallowmark..."}));
    EXPECT_EQ(Frame().windowTitle(), "Tallowmark");
    for (int id : {cmd::FileSaveAs, cmd::EditCut, cmd::EditCopy, cmd::EditPaste, cmd::EntryDetails, cmd::RecentFirst})
        EXPECT_FALSE(Enabled(Frame(), id)) << id;
    for (int id : {cmd::FileOpen, cmd::AppAbout, cmd::ContextHelp, cmd::AppExit, cmd::ViewToolbar})
        EXPECT_TRUE(Enabled(Frame(), id)) << id;
    EXPECT_TRUE(Frame().Action(cmd::ViewToolbar)->isChecked());
    EXPECT_EQ(Frame().Action(cmd::FileOpen)->statusTip(), "Open an existing document");
    EXPECT_EQ(Frame().Action(cmd::FileOpen)->toolTip(), "Open");
}

TEST_F(GuiTest, FileOpenShowsTheDocumentMenuAndTheFullPath) {
    const QString path = WriteIndex("index.dat", SmallIndex());
    TallowmarkDoc* document = FileOpen(path);
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(QString::fromStdString(document->Title()), path);
    EXPECT_EQ(Frame().windowTitle(), "Tallowmark - " + path);
    EXPECT_EQ(Prompts().lastFilters.back(), "index.dat Files (index.dat);;All Files (*)");
    EXPECT_EQ(MenuTitles(), (std::vector<QString>{"&File", "&Edit", "&View", "&Options", "&Window", "&Help"}));
    EXPECT_EQ(MenuItems(3), (std::vector<QString>{"Display &Blank Records\tCtrl+B", "Display 0BA&DF00D Records\tCtrl+D",
                                                  "-", "&Save Settings as Defaults"}));
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

TEST_F(GuiTest, AFileThatIsNoIndexShowsTheMessageAndNoWindow) {
    const QString path = WriteIndex("notes.txt", {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '!', '!', '!',
                                                  '!', '!'});
    EXPECT_EQ(FileOpen(path), nullptr);
    ASSERT_EQ(Prompts().messages.size(), 1u);
    EXPECT_EQ(Prompts().messages[0].icon, UserPrompts::Icon::Warning);
    EXPECT_EQ(Prompts().messages[0].text, "Unexpected file format.");
    EXPECT_TRUE(Frame().Frames().empty());
}

TEST_F(GuiTest, EmptyDocumentsAreReported) {
    const QString noRecords = WriteIndex("norecords.dat", IndexFileBuilder().Bytes());
    FileOpen(noRecords);
    ASSERT_EQ(Prompts().messages.size(), 1u);
    EXPECT_TRUE(Prompts().messages[0].text.startsWith("No records were found in this index.dat file."));
    EXPECT_TRUE(Prompts().messages[0].text.endsWith("\n\n" + noRecords));

    const QString zero = WriteIndex("zero.dat", {});
    FileOpen(zero);
    EXPECT_EQ(Prompts().messages.size(), 2u);
    EXPECT_EQ(Frame().ActiveView()->Model().rowCount(), 0);
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
    EXPECT_TRUE(file[3].startsWith("&1 ")) << file[3].toStdString();
    EXPECT_TRUE(file[3].endsWith("second.dat"));
    EXPECT_LE(file[3].size(), 33);

    Frame().RouteCommand(cmd::RecentFirst + 1);
    ASSERT_NE(Frame().ActiveChild(), nullptr);
    EXPECT_EQ(Frame().ActiveChild()->windowTitle(), "first.dat");
    EXPECT_EQ(App().RecentFiles().Paths().front(), first.toStdString());

    // An entry whose file is gone leaves the list after its message.
    QFile::remove(second);
    Frame().RouteCommand(cmd::RecentFirst + 1);
    EXPECT_EQ(App().RecentFiles().Paths(), std::vector<std::string>{first.toStdString()});
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

TEST_F(GuiTest, AcceleratorsReachTheirCommands) {
    FileOpen(WriteIndex("index.dat", SmallIndex()));
    Frame().activateWindow();
    TallowmarkView* view = Frame().ActiveView();
    view->setFocus();
    QTest::keyClick(view, Qt::Key_B, Qt::ControlModifier);
    EXPECT_FALSE(view->m_bViewBlankRecords);
    QTest::keyClick(view, Qt::Key_D, Qt::ControlModifier);
    EXPECT_FALSE(view->m_bViewBadfoodRecords);

    QTest::keyClick(view, Qt::Key_Return);  // no selection mark: nothing happens
    EXPECT_TRUE(Prompts().messages.empty());
    view->setCurrentIndex(view->model()->index(0, 0));
    QTest::keyClick(view, Qt::Key_Return);
    ASSERT_EQ(Prompts().messages.size(), 1u);
    EXPECT_EQ(Prompts().messages[0].icon, UserPrompts::Icon::Information);
    EXPECT_TRUE(Prompts().messages[0].text.startsWith("File:\n"));
    EXPECT_TRUE(Prompts().messages[0].text.contains("\nRecord Number: 1\nRecord Type: HASH\nRecord Size: 128 bytes"));
}

TEST_F(GuiTest, EntryDetailsOfTheCurrentRow) {
    FileOpen(WriteIndex("index.dat", SmallIndex()));
    TallowmarkView* view = Frame().ActiveView();
    view->setCurrentIndex(view->model()->index(5, 0));
    EXPECT_TRUE(Enabled(Frame(), cmd::EntryDetails));
    Frame().RouteCommand(cmd::EntryDetails);
    ASSERT_EQ(Prompts().messages.size(), 1u);
    EXPECT_TRUE(Prompts().messages[0].text.endsWith("Record Type: REDR\nRecord Size: 128 bytes\n\nDetails:\nURL: http://two/"));
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
    Frame().ActiveView()->GetDocument().WriteCsv(expected, false, true);
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
}

TEST_F(GuiTest, HeaderClicksSortAndShareTheToggleAcrossViews) {
    FileOpen(WriteIndex("index.dat", SmallIndex()));
    TallowmarkView* first = Frame().ActiveView();
    emit first->header()->sectionClicked(0);  // the first click on "No." reverses
    EXPECT_EQ(first->Model().RecordAt(0)->TypeName(), "REDR");
    first->setCurrentIndex(first->model()->index(0, 0));
    emit first->header()->sectionClicked(4);
    EXPECT_EQ(first->CurrentRecord()->TypeName(), "REDR");  // the current row follows its record
    EXPECT_EQ(first->Model().RecordAt(0)->TypeName(), "LEAK");  // its time 0 sorts before 2008

    Frame().RouteCommand(cmd::WindowNew);
    TallowmarkView* second = Frame().ActiveView();
    emit second->header()->sectionClicked(4);  // same column, other view: descending
    EXPECT_EQ(g_lastSortColumn, -1);
    Frame().RouteCommand(cmd::ViewBlankRecords);  // refills in file order
    EXPECT_EQ(second->Model().RecordAt(0)->TypeName(), "HASH");
}

TEST_F(GuiTest, ToolbarStatusBarAndHelp) {
    EXPECT_EQ(Frame().statusBar()->findChildren<QLabel*>().size(), 5);  // message, record count, CAP, NUM, SCRL
    Frame().RouteCommand(cmd::ViewToolbar);
    Frame().UpdateCommandUi();
    EXPECT_FALSE(Frame().Action(cmd::ViewToolbar)->isChecked());
    Frame().RouteCommand(cmd::ViewToolbar);
    Frame().RouteCommand(cmd::HelpTopics);
    ASSERT_EQ(Prompts().openedUrls.size(), 1u);
    EXPECT_TRUE(Prompts().openedUrls[0].toLocalFile().endsWith("tallowmark-help.html"));
    EXPECT_TRUE(QFileInfo::exists(Prompts().openedUrls[0].toLocalFile()));
}

TEST_F(GuiTest, ScreenshotOfARealFile) {
    const QString real = QStringLiteral(TALLOWMARK_FIXTURES_DIR "/content-ie5-index.dat");
    if (!QFileInfo::exists(real)) GTEST_SKIP() << "no real sample files here";
    FileOpen(real);
    Frame().ActiveChild()->showMaximized();
    Frame().ActiveView()->setCurrentIndex(Frame().ActiveView()->model()->index(3, 0));
    QCoreApplication::processEvents();
    EXPECT_TRUE(Frame().grab().save(QStringLiteral(TALLOWMARK_SCREENSHOT_DIR "/main-window.png")));
}

}  // namespace
}  // namespace tallowmark::gui_testing
