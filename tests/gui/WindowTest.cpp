#include <QHeaderView>
#include <QMdiArea>
#include <QScreen>
#include <QSettings>
#include <QProgressBar>
#include <QStatusBar>
#include <QTest>

#include "GuiTestSupport.h"
#include "presentation/Columns.h"
#include "presentation/qt/RecordTableModel.h"
#include "presentation/qt/TallowmarkView.h"
#include "shell/CommandIds.h"
#include "shell/qt/ChildFrame.h"
#include "shell/qt/DocumentManager.h"
#include "support/IndexFileBuilder.h"

namespace tallowmark::gui_testing {
namespace {

std::vector<std::uint8_t> TwoUrls() {
    testing::IndexFileBuilder builder;
    builder.Url({.url = "http://example.com/" + std::string(300, 'a'), .fileName = "a.htm"});
    builder.Url({.url = "http://b/", .fileName = "b.htm"});
    return builder.Bytes();
}

// The main window's place and state, its tabs and the columns' order and widths come back
// after a restart; a place larger than the screen is fitted to it.
TEST_F(GuiTest, TheWindowAndTheColumnsAreKeptAcrossRestarts) {
    Frame().setGeometry(30, 40, 700, 500);
    Frame().RouteCommand(cmd::WindowTabbed);
    FileOpen(WriteIndex("index.dat", TwoUrls()));
    QHeaderView* header = Frame().ActiveView()->horizontalHeader();
    header->resizeSection(kColumnFileName, 222);
    header->moveSection(header->visualIndex(kColumnSize), 0);
    QTest::qWait(400);  // kept once the user has done

    Restart();
    EXPECT_EQ(Frame().geometry(), QRect(30, 40, 700, 500));
    EXPECT_EQ(Frame().MdiArea()->viewMode(), QMdiArea::TabbedView);
    Frame().RouteCommand(cmd::WindowTabbed);
    FileOpen(WriteIndex("again.dat", TwoUrls()));
    header = Frame().ActiveView()->horizontalHeader();
    EXPECT_EQ(header->sectionSize(kColumnFileName), 222);
    EXPECT_EQ(header->visualIndex(kColumnSize), 0);
    Frame().showMaximized();

    Restart();
    EXPECT_TRUE(Frame().isMaximized());
    EXPECT_EQ(Frame().MdiArea()->viewMode(), QMdiArea::SubWindowView);
    App().ExitInstance();
    QSettings().setValue("Window/Maximized", 0);
    QSettings().setValue("Window/Placement", "-500,0,4000,3000");
    App().InitInstance();
    const QRect screen = Frame().screen()->availableGeometry();
    EXPECT_TRUE(screen.contains(Frame().geometry())) << Frame().geometry().width() << "x" << Frame().geometry().height();
}

// The first document window fills the workspace until the user has it otherwise, which
// the next start remembers; one opened beside a maximised one fills it too; in the tabbed
// view the windows are tabs and there is nothing to arrange.
TEST_F(GuiTest, DocumentWindowsFillTheWorkspaceAsTheUserLastHadThemOrShowAsTabs) {
    App().ExitInstance();
    QSettings().remove("Window/DocumentsMaximized");
    App().InitInstance();
    FileOpen(WriteIndex("first.dat", TwoUrls()));
    EXPECT_TRUE(Frame().ActiveChild()->isMaximized());
    FileOpen(WriteIndex("second.dat", TwoUrls()));
    EXPECT_TRUE(Frame().ActiveChild()->isMaximized());
    Frame().ActiveChild()->showNormal();
    Restart();
    FileOpen(WriteIndex("third.dat", TwoUrls()));
    EXPECT_FALSE(Frame().ActiveChild()->isMaximized());

    Frame().RouteCommand(cmd::WindowTabbed);
    Frame().UpdateCommandUi();
    EXPECT_EQ(Frame().MdiArea()->viewMode(), QMdiArea::TabbedView);
    EXPECT_TRUE(Frame().Action(cmd::WindowTabbed)->isChecked());
    EXPECT_FALSE(Frame().Action(cmd::WindowCascade)->isEnabled());
    FileOpen(WriteIndex("fourth.dat", TwoUrls()));
    EXPECT_EQ(Frame().Frames().size(), 2u);
}

// In a wide window "Data" takes the spare width; a cell its column cuts off shows its
// whole text as its tooltip, one that fits none.
TEST_F(GuiTest, DataTakesTheSpareWidthAndCutOffCellsShowTheirText) {
    Frame().resize(1800, 700);
    FileOpen(WriteIndex("index.dat", TwoUrls()));
    Frame().ActiveChild()->showMaximized();
    QCoreApplication::processEvents();
    TallowmarkView* view = Frame().ActiveView();
    int sum = 0;
    for (int section = 0; section < view->horizontalHeader()->count(); ++section) sum += view->horizontalHeader()->sectionSize(section);
    EXPECT_EQ(sum, view->viewport()->width());
    EXPECT_GT(view->horizontalHeader()->sectionSize(kColumnData), 400);

    view->horizontalHeader()->resizeSection(kColumnData, 80);
    const QString url = view->Model().index(0, kColumnData).data().toString();
    EXPECT_EQ(view->CellTip(view->Model().index(0, kColumnData)).remove('\n'), url);
    EXPECT_EQ(view->CellTip(view->Model().index(0, kColumnType)), "");
}

// File > Open picks several files at once, each opened as if picked alone; the status bar
// groups a count's digits as the locale does; Export says what it wrote where.
TEST_F(GuiTest, OpenPicksSeveralFilesAndExportSaysWhatItWrote) {
    const QString first = WriteIndex("first.dat", TwoUrls()), second = WriteIndex("second.dat", TwoUrls());
    Prompts().answers.push_back(first + "\n" + second);
    Frame().RouteCommand(cmd::FileOpen);
    ASSERT_EQ(Frame().Frames().size(), 2u);
    for (ChildFrame* frame : Frame().Frames())
        EXPECT_EQ(frame->View()->GetDocument().Title(), frame->View()->GetDocument().PathName());

    const QString out = QString::fromStdString(m_files.Path("out.csv"));
    Prompts().answers.push_back(out);
    Frame().RouteCommand(cmd::Export);
    EXPECT_EQ(Frame().statusBar()->currentMessage(), "Exported 2 rows to " + out);
}

// A load that goes on past the quiet time shows in the status bar how far it has come, as
// its text and a bar, both gone once the window is made.
TEST_F(GuiTest, ALongLoadShowsItsProgressInTheStatusBar) {
    const QString path = WriteIndex("long.dat", TwoUrls());
    Frame().Documents().SetQuietLoad(std::chrono::milliseconds(0));
    auto* bar = Frame().statusBar()->findChild<QProgressBar*>(QStringLiteral("LoadProgress"));
    ASSERT_NE(bar, nullptr);
    QStringList told;
    bool barShown = false;
    const QMetaObject::Connection watch =
        QObject::connect(&Frame().Documents(), &DocumentManager::Loading, &Frame(), [&](const QString&, int) {
            told << Frame().statusBar()->currentMessage();
            barShown = barShown || bar->isVisibleTo(&Frame());
        });
    const TallowmarkDoc* opened = FileOpen(path);
    QObject::disconnect(watch);
    ASSERT_NE(opened, nullptr);
    ASSERT_FALSE(told.isEmpty());
    EXPECT_TRUE(told.front().startsWith("Opening " + path + "... ")) << told.front().toStdString();
    EXPECT_TRUE(barShown);
    EXPECT_FALSE(bar->isVisibleTo(&Frame()));
    EXPECT_TRUE(Frame().statusBar()->currentMessage().isEmpty());
}

}  // namespace
}  // namespace tallowmark::gui_testing
