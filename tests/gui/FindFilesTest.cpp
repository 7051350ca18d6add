#include <QComboBox>
#include <QLineEdit>
#include <QTreeWidget>
#include <QPushButton>
#include <QTest>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>

#include "GuiTestSupport.h"
#include "discovery/qt/FindFilesDlg.h"
#include "discovery/IndexFileSearch.h"
#include "shell/qt/ChildFrame.h"
#include "presentation/qt/TallowmarkView.h"
#include "shell/CommandIds.h"
#include "support/IndexFileBuilder.h"

namespace tallowmark::gui_testing {
namespace {

using namespace std::chrono_literals;

// A search that reports the paths the test releases and runs until it is stopped; after
// the stop it still touches its sink once, which must then still be there.
struct EndlessSearch {
    std::vector<std::string> paths;
    std::atomic<std::size_t> released{0};
    std::atomic<bool> ended{false};

    FindFilesDlg::SearchProc Proc() {
        return [this](FindFilesSink* sink) {
            sink->Send(WM_FINDFILES_STATUS, "Scanning /deep/");
            for (std::size_t sent = 0; !g_bStopSearch; std::this_thread::sleep_for(1ms))
                while (sent < released && sent < paths.size()) sink->Send(WM_FINDFILES_FOUND, paths[sent++]);
            std::this_thread::sleep_for(20ms);
            sink->Send(WM_FINDFILES_STATUS, "Scanning /late/");
            ended = true;
            return 0;
        };
    }
};

FindFilesDlg::SearchProc SearchOf(const std::string& root) {
    return [root](FindFilesSink* sink) { return FindFilesThreadProc(sink, {{root}, {}}); };
}

QTreeWidget& List(FindFilesDlg& dialog) { return *dialog.findChild<QTreeWidget*>(); }
int Count(FindFilesDlg& dialog) { return List(dialog).topLevelItemCount(); }
QTreeWidgetItem* Item(FindFilesDlg& dialog, int row) { return List(dialog).topLevelItem(row); }
QString Status(FindFilesDlg& dialog) { return dialog.findChild<QLineEdit*>()->text(); }
QPushButton& Button(FindFilesDlg& dialog, const char* text) {
    for (QPushButton* button : dialog.findChildren<QPushButton*>())
        if (button->text() == text) return *button;
    throw std::logic_error(text);
}
std::vector<std::string> Items(FindFilesDlg& dialog) {
    std::vector<std::string> items;
    for (int row = 0; row < Count(dialog); ++row) items.push_back(Item(dialog, row)->text(0).toStdString());
    return items;
}

TEST_F(GuiTest, FoundFilesAppearSortedAndTheCountEndsTheSearch) {
    const std::filesystem::path root = m_files.Root() / "tree";
    for (const char* name : {"b/index.dat", "A/INDEX.DAT", "a/c/Index.dat", "B/x/index.dat", "b/notes.txt"}) {
        std::filesystem::create_directories((root / name).parent_path());
        std::ofstream(root / name) << "x";
    }
    FindFilesDlg dialog(Prompts(), &Frame(), SearchOf(root.string()));
    EXPECT_EQ(dialog.windowTitle(), "Find Files...");
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowCloseButtonHint);
    dialog.show();
    EXPECT_TRUE(QTest::qWaitFor([&] { return Status(dialog) == "4 files found"; }, 5000))
        << Status(dialog).toStdString();
    const std::string r = root.string();
    EXPECT_EQ(Items(dialog), (std::vector<std::string>{r + "/a/c/Index.dat", r + "/A/INDEX.DAT", r + "/b/index.dat",
                                                       r + "/B/x/index.dat"}));
    EXPECT_EQ(List(dialog).selectionMode(), QAbstractItemView::ExtendedSelection);

    // Double-clicking only selects; nothing closes.
    const QRect first = List(dialog).visualItemRect(Item(dialog, 0));
    QTest::mouseDClick(List(dialog).viewport(), Qt::LeftButton, {}, first.center());
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(Item(dialog, 0)->isSelected());
    dialog.grab().save(QStringLiteral(TALLOWMARK_SCREENSHOT_DIR "/find-files.png"));

    std::filesystem::remove_all(root / "a");
    std::filesystem::remove_all(root / "A");
    std::filesystem::remove_all(root / "B");
    FindFilesDlg one(Prompts(), &Frame(), SearchOf(root.string()));
    one.show();
    EXPECT_TRUE(QTest::qWaitFor([&] { return Status(one) == "1 files found"; }, 5000)) << Status(one).toStdString();
    FindFilesDlg none(Prompts(), &Frame(), SearchOf((root / "b" / "notes.txt").string()));
    none.show();
    EXPECT_TRUE(QTest::qWaitFor([&] { return Status(none) == "0 files found"; }, 5000)) << Status(none).toStdString();
}

TEST_F(GuiTest, FindFilesControlsFollowTheRightAndBottomEdges) {
    EndlessSearch search;
    FindFilesDlg dialog(Prompts(), &Frame(), search.Proc());
    dialog.show();
    dialog.resize(900, 600);
    QCoreApplication::processEvents();
    const QRect ok = Button(dialog, "OK").geometry(), cancel = Button(dialog, "Cancel").geometry();
    const QRect list = List(dialog).geometry(), status = dialog.findChild<QLineEdit*>()->geometry();
    EXPECT_EQ(ok.right() + 1, 900 - 10);
    EXPECT_EQ(cancel.right() + 1, 900 - 10);
    EXPECT_EQ(cancel.size(), ok.size());
    EXPECT_EQ(status.bottom() + 1, 600 - 10);
    EXPECT_EQ(list.bottom() + 1, status.top() - 10);
    EXPECT_EQ(list.width(), 900 - ok.width() - 30);
    EXPECT_EQ(status.left(), list.left());
    EXPECT_EQ(status.width(), list.width());
    dialog.resize(100, 100);
    EXPECT_EQ(dialog.frameGeometry().size(), QSize(350, 200));
}

TEST_F(GuiTest, OkWithoutASelectionWarnsAndTheSearchGoesOn) {
    EndlessSearch search;
    search.paths = {"/deep/b/index.dat", "/deep/a/index.dat"};
    search.released = 1;
    FindFilesDlg dialog(Prompts(), &Frame(), search.Proc());
    dialog.show();
    EXPECT_TRUE(QTest::qWaitFor([&] { return Count(dialog) == 1; }, 5000));
    QTest::mouseClick(&Button(dialog, "OK"), Qt::LeftButton);
    ASSERT_EQ(Prompts().messages.size(), 1u);
    EXPECT_EQ(Prompts().messages[0].icon, UserPrompts::Icon::Critical);
    EXPECT_TRUE(dialog.isVisible());
    search.released = 2;
    EXPECT_TRUE(QTest::qWaitFor([&] { return Count(dialog) == 2; }, 5000));
    EXPECT_FALSE(search.ended);
    // The status shows at the screen's pace.
    EXPECT_TRUE(QTest::qWaitFor([&] { return Status(dialog) == "Scanning /deep/"; }, 5000))
        << Status(dialog).toStdString();
    Item(dialog, 1)->setSelected(true);
    dialog.grab().save(QStringLiteral(TALLOWMARK_SCREENSHOT_DIR "/find-files-searching.png"));
}

TEST_F(GuiTest, OkDuringASearchStopsItAndKeepsTheSelectionInListOrder) {
    EndlessSearch search;
    search.paths = {"/deep/c/index.dat", "/deep/a/index.dat", "/deep/b/index.dat"};
    search.released = 3;
    FindFilesDlg dialog(Prompts(), &Frame(), search.Proc());
    dialog.show();
    EXPECT_TRUE(QTest::qWaitFor([&] { return Count(dialog) == 3; }, 5000));
    Item(dialog, 2)->setSelected(true);
    Item(dialog, 0)->setSelected(true);
    QTest::mouseClick(&Button(dialog, "OK"), Qt::LeftButton);
    EXPECT_TRUE(search.ended);  // OK waited for the worker
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.GetSelectedFiles(), (std::vector<std::string>{"/deep/a/index.dat", "/deep/c/index.dat"}));
    EXPECT_TRUE(Prompts().messages.empty());
}

TEST_F(GuiTest, CancelDuringASearchClosesAtOnceAndTheDialogOutlivesTheWorker) {
    EndlessSearch search;
    search.paths = {"/deep/a/index.dat"};
    search.released = 1;
    {
        FindFilesDlg dialog(Prompts(), &Frame(), search.Proc());
        dialog.show();
        EXPECT_TRUE(QTest::qWaitFor([&] { return Count(dialog) == 1; }, 5000));
        Item(dialog, 0)->setSelected(true);
        QTest::keyClick(&dialog, Qt::Key_Escape);
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_TRUE(g_bStopSearch);
        EXPECT_TRUE(dialog.GetSelectedFiles().empty());
    }
    EXPECT_TRUE(search.ended);
}

// Stop ends the search and the dialog stays; a folder chosen is searched afresh, in any
// letter case, each file listed with its size and time.
TEST_F(GuiTest, FindFilesStopsOnRequestAndLooksInAChosenFolder) {
    EndlessSearch search;
    FindFilesDlg dialog(Prompts(), &Frame(), search.Proc());
    dialog.show();
    QTest::mouseClick(&Button(dialog, "&Stop"), Qt::LeftButton);
    EXPECT_TRUE(search.ended);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(Status(dialog), "Search stopped: 0 files found");
    EXPECT_FALSE(Button(dialog, "&Stop").isEnabled());

    const std::filesystem::path root = m_files.Root() / "case";
    std::filesystem::create_directories(root / "Profile");
    std::ofstream(root / "Profile" / "INDEX.DAT") << "12345";
    Prompts().folderAnswer = QString::fromStdString(root.string());
    QTest::mouseClick(&Button(dialog, "&Browse..."), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Status(dialog) == "1 files found"; }, 5000)) << Status(dialog).toStdString();
    EXPECT_EQ(Item(dialog, 0)->text(0), QString::fromStdString((root / "Profile" / "INDEX.DAT").string()));
    EXPECT_EQ(Item(dialog, 0)->text(1), "5");
    EXPECT_EQ(Item(dialog, 0)->text(2).size(), 18);  // "dd Mmm yyyy, hh:mm"
    EXPECT_EQ(dialog.findChild<QComboBox*>()->currentText(), QString::fromStdString(root.string()));
    dialog.grab().save(QStringLiteral(TALLOWMARK_SCREENSHOT_DIR "/find-files-folder.png"));
}

TEST_F(GuiTest, FindFilesOpensEachPickedFileTitledWithItsPathAndGoesOnAfterAFailure) {
    const QString first = WriteIndex("one.dat", testing::IndexFileBuilder().Hash(1).Bytes());
    const QString broken = WriteIndex("broken.dat", {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'n', 'd', 'e', 'x'});
    const QString third = WriteIndex("three.dat", testing::IndexFileBuilder().Hash(1).Bytes());
    Prompts().foundFiles = {first.toStdString(), broken.toStdString(), third.toStdString()};
    EXPECT_TRUE(Frame().RouteCommand(cmd::FindFiles));
    QCoreApplication::processEvents();

    ASSERT_EQ(Frame().Frames().size(), 2u);
    ASSERT_EQ(Prompts().messages.size(), 1u);
    EXPECT_EQ(Prompts().messages[0].text, "Unexpected file format.");
    std::vector<QString> titles;
    for (ChildFrame* frame : Frame().Frames())
        titles.push_back(QString::fromStdString(frame->View()->GetDocument().Title()));
    EXPECT_EQ(titles, (std::vector<QString>{first, third}));
    EXPECT_EQ(QString::fromStdString(Frame().ActiveChild()->View()->GetDocument().Title()), third);
    EXPECT_EQ(Frame().windowTitle(), "Tallowmark - " + third);
}

TEST_F(GuiTest, APathWithALineBreakShowsOnOneLineAndEachPickIsTitledBeforeTheNextMessage) {
    const std::string odd = m_files.Path("one\nline.dat");
    testing::WriteFile(odd, testing::IndexFileBuilder().Hash(1).Bytes());
    const QString shown = QString::fromStdString(m_files.Path("one\u21B5line.dat"));
    EndlessSearch search;
    search.paths = {odd, m_files.Path("caf\xE9.dat")};
    search.released = 2;
    FindFilesDlg dialog(Prompts(), &Frame(), search.Proc());
    dialog.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Count(dialog) == 2; }, 5000));
    EXPECT_EQ(Item(dialog, 0)->text(0), QString::fromStdString(m_files.Path("caf\uFFFD.dat")));
    EXPECT_EQ(Item(dialog, 1)->text(0), shown);
    dialog.grab().save(QStringLiteral(TALLOWMARK_SCREENSHOT_DIR "/find-files-odd-names.png"));
    Item(dialog, 1)->setSelected(true);
    dialog.accept();
    ASSERT_EQ(dialog.GetSelectedFiles(), std::vector<std::string>{odd});

    // The second pick fails: its message comes while the first window already has its path.
    std::vector<QString> captions;
    Prompts().onMessage = [&] {
        for (ChildFrame* frame : Frame().Frames()) captions.push_back(frame->windowTitle());
    };
    Prompts().foundFiles = {odd, WriteIndex("broken.dat", {'n', 'o'}).toStdString()};
    Frame().RouteCommand(cmd::FindFiles);
    EXPECT_EQ(captions, std::vector<QString>{shown});
    EXPECT_EQ(Frame().windowTitle(), "Tallowmark - " + shown);
    EXPECT_EQ(App().RecentFiles().Paths().front(), odd);
    const QString menuText = QString::fromStdString(App().RecentFiles().MenuText(0));
    EXPECT_TRUE(menuText.endsWith(QStringLiteral(u"one\u21B5line.dat"))) << menuText.toStdString();
}

TEST_F(GuiTest, RealIndexFilesFoundInATreeOpenFromTheDialog) {
    const std::filesystem::path fixtures = TALLOWMARK_FIXTURES_DIR;
    if (!std::filesystem::exists(fixtures / "history-ie5-index.dat")) GTEST_SKIP() << "no real sample files";
    const std::filesystem::path root = m_files.Root() / "disk";
    const std::vector<std::pair<const char*, const char*>> placed = {
        {"history-ie5-index.dat", "Users/me/History/History.IE5/index.dat"},
        {"content-ie5-index.dat", "Users/me/Temporary Internet Files/Content.IE5/INDEX.DAT"},
        {"leaks-index.dat", "Windows/Cookies/index.dat"}};
    for (const auto& [sample, where] : placed) {
        std::filesystem::create_directories((root / where).parent_path());
        std::filesystem::copy_file(fixtures / sample, root / where);
    }
    FindFilesDlg dialog(Prompts(), &Frame(), SearchOf(root.string()));
    dialog.show();
    EXPECT_TRUE(QTest::qWaitFor([&] { return Status(dialog) == "3 files found"; }, 5000))
        << Status(dialog).toStdString();
    List(dialog).selectAll();
    dialog.accept();
    ASSERT_EQ(dialog.GetSelectedFiles().size(), 3u);

    Prompts().foundFiles = dialog.GetSelectedFiles();
    Frame().RouteCommand(cmd::FindFiles);
    QCoreApplication::processEvents();
    EXPECT_TRUE(Prompts().messages.empty());
    ASSERT_EQ(Frame().Frames().size(), 3u);
    for (ChildFrame* frame : Frame().Frames()) {
        const TallowmarkDoc& document = frame->View()->GetDocument();
        EXPECT_EQ(document.Title(), document.PathName());
        EXPECT_GT(document.RecordCount(), 0u) << document.PathName();
    }
}

}  // namespace
}  // namespace tallowmark::gui_testing
