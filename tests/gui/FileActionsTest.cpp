#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <map>

#include "GuiTestSupport.h"
#include "presentation/qt/TallowmarkView.h"
#include "shell/CommandIds.h"
#include "support/IndexFileBuilder.h"

namespace tallowmark::gui_testing {
namespace {

namespace fs = std::filesystem;
using testing::IndexFileBuilder;

void Touch(const fs::path& path) {
    fs::create_directories(path.parent_path());
    std::ofstream(path) << "cached";
}

std::vector<QString> Items(QMenu& menu) {
    std::vector<QString> items;
    for (QAction* action : menu.actions())
        items.push_back(action->isSeparator() ? QStringLiteral("-") : action->text());
    return items;
}

const std::vector<QString> kWithoutCachedFile = {"View &Entry Details\tEnter", "-", "File Propert&ies\tAlt+Enter", "-",
                                                 "&Copy\tCtrl+C"};
const std::vector<QString> kWithCachedFile = {"View &Entry Details\tEnter",
                                              "View Cached &File Using Default Application",
                                              "View Cached File in &Notepad\tCtrl+N",
                                              "-",
                                              "File Propert&ies\tAlt+Enter",
                                              "-",
                                              "&Copy\tCtrl+C"};

class CachedFileTest : public GuiTest {
protected:
    // Rows: 0 HASH, 1 URL with a cached copy, 2 URL whose copy is gone, 3 URL whose cache
    // directory is "..", 4 REDR. The index lies in a folder with a blank in its name and
    // the copy differs from the index in letter case.
    void SetUp() override {
        GuiTest::SetUp();
        IndexFileBuilder builder;
        builder.CacheDir(0, "ABCD1234").CacheDir(1, "..").Hash(1);
        builder.Url({.url = "http://a/", .fileName = "page[1].htm", .dirIndex = 0});
        builder.Url({.url = "http://b/", .fileName = "gone[1].htm", .dirIndex = 0});
        builder.Url({.url = "http://c/", .fileName = "secret.txt", .dirIndex = 1});
        builder.Redirect("http://d/");
        const fs::path folder = m_files.Root() / "my cache";
        fs::create_directories(folder);
        builder.WriteTo((folder / "index.dat").string());
        Touch(folder / "abcd1234" / "PAGE[1].htm");
        Touch(m_files.Root() / "secret.txt");
        m_cached = QString::fromStdString((folder / "abcd1234" / "PAGE[1].htm").string());
        FileOpen(QString::fromStdString((folder / "index.dat").string()));
        m_pView = Frame().ActiveView();
    }

    void SelectRow(int row) { m_pView->setCurrentIndex(m_pView->model()->index(row, 0)); }
    bool Enabled(int id) {
        Frame().UpdateCommandUi();
        return Frame().Action(id)->isEnabled();
    }

    QString m_cached;
    TallowmarkView* m_pView = nullptr;
};

TEST_F(CachedFileTest, OfferedAndOpenedOnlyWhenTheCopyIsThere) {
    const auto noMark = Frame().CreateContextMenu();
    EXPECT_EQ(Items(*noMark), kWithoutCachedFile);
    ASSERT_NE(noMark->defaultAction(), nullptr);
    EXPECT_EQ(noMark->defaultAction()->text(), kWithoutCachedFile[0]);
    for (int row : {0, 2, 3, 4}) {  // no URL, copy gone, hostile directory, REDR
        SelectRow(row);
        EXPECT_FALSE(Enabled(cmd::CachedFileDefault)) << row;
        EXPECT_FALSE(Enabled(cmd::CachedFileNotepad)) << row;
        EXPECT_EQ(Items(*Frame().CreateContextMenu()), kWithoutCachedFile) << row;
        Frame().RouteCommand(cmd::CachedFileDefault);
        Frame().RouteCommand(cmd::CachedFileNotepad);
    }
    EXPECT_TRUE(Prompts().openedUrls.empty());
    EXPECT_TRUE(Prompts().editedPaths.empty());

    SelectRow(1);
    EXPECT_TRUE(Enabled(cmd::CachedFileDefault));
    EXPECT_TRUE(Enabled(cmd::CachedFileNotepad));
    EXPECT_EQ(Items(*Frame().CreateContextMenu()), kWithCachedFile);
    Frame().RouteCommand(cmd::CachedFileDefault);
    EXPECT_EQ(Prompts().openedUrls, std::vector<QUrl>{QUrl::fromLocalFile(m_cached)});
    QTest::keyClick(m_pView, Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(Prompts().editedPaths, std::vector<QString>{m_cached});
}

TEST_F(CachedFileTest, ContextMenuActsOnTheSelectionMarkAndRoutesTheChosenItem) {
    SelectRow(1);
    // A right-click below the last row keeps the selection mark, whether the desktop shows
    // the menu on the press or, as Windows does, after the release.
    const QPoint below(10, m_pView->viewport()->height() - 5);
    QTest::mousePress(m_pView->viewport(), Qt::RightButton, {}, below);
    QTest::mouseRelease(m_pView->viewport(), Qt::RightButton, {}, below);
    ASSERT_EQ(m_pView->SelectionMark(), 1);

    std::vector<QString> shown;
    QTimer::singleShot(0, [&] {
        auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(popup, nullptr);
        shown = Items(*popup);
        popup->grab().save(QStringLiteral(TALLOWMARK_SCREENSHOT_DIR "/context-menu.png"));
        QTest::keyClick(popup, Qt::Key_N);  // the Notepad item's mnemonic
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, below, m_pView->viewport()->mapToGlobal(below));
    QApplication::sendEvent(m_pView->viewport(), &event);
    EXPECT_EQ(shown, kWithCachedFile);
    EXPECT_EQ(Prompts().editedPaths, std::vector<QString>{m_cached});

    // Copy takes the same route as Edit > Copy.
    QApplication::clipboard()->clear();
    QTimer::singleShot(0, [] { QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_C); });
    QApplication::sendEvent(m_pView->viewport(), &event);
    EXPECT_TRUE(QApplication::clipboard()->text().contains("\thttp://a/\t"))
        << QApplication::clipboard()->text().toStdString();
    QApplication::clipboard()->clear();
}

TEST_F(CachedFileTest, ALaunchWithNoApplicationAtAllSaysSoInTheStatusBar) {
    SelectRow(1);
    for (const auto result : {platform::LaunchResult::Started, platform::LaunchResult::Failed}) {
        Prompts().launchResult = result;
        Frame().RouteCommand(cmd::CachedFileDefault);
        Frame().RouteCommand(cmd::CachedFileNotepad);
        EXPECT_EQ(Frame().statusBar()->currentMessage(), "");
    }
    Prompts().launchResult = platform::LaunchResult::NoApplication;
    const QString shown = QDir::toNativeSeparators(m_cached);
    Frame().RouteCommand(cmd::CachedFileDefault);
    EXPECT_EQ(Frame().statusBar()->currentMessage(), "No application is registered to open " + shown + ".");
    Frame().RouteCommand(cmd::CachedFileNotepad);
    EXPECT_EQ(Frame().statusBar()->currentMessage(), "No text editor was found to open " + shown + ".");
}

TEST_F(GuiTest, RealSampleOffersItsCachedCopy) {
    const fs::path real = TALLOWMARK_FIXTURES_DIR "/content-ie5-index.dat";
    if (!fs::exists(real)) GTEST_SKIP() << "no real sample files here";
    fs::create_symlink(real, m_files.Root() / "index.dat");  // the cache folder is the link's
    Touch(m_files.Root() / "eng3x4zr" / "4f1880[1].ico");
    FileOpen(QString::fromStdString(m_files.Path("index.dat")));
    TallowmarkView* view = Frame().ActiveView();
    view->setCurrentIndex(view->model()->index(1, 0));  // URL .../4f1880.ico in ENG3X4ZR
    EXPECT_EQ(Items(*Frame().CreateContextMenu()), kWithCachedFile);
    Frame().RouteCommand(cmd::CachedFileDefault);
    EXPECT_EQ(Prompts().openedUrls,
              std::vector<QUrl>{QUrl::fromLocalFile(QString::fromStdString(m_files.Path("eng3x4zr/4f1880[1].ico")))});
    view->setCurrentIndex(view->model()->index(2, 0));
    EXPECT_EQ(Items(*Frame().CreateContextMenu()), kWithoutCachedFile);
}

// The five values of the General page, read from the sheet the command shows.
std::map<QString, QString> ShownProperties(ScriptedPrompts& prompts, const std::function<void()>& run,
                                           const QString& screenshot = {}) {
    std::map<QString, QString> values;
    prompts.onModal = [&](QDialog& sheet) {
        auto* tabs = sheet.findChild<QTabWidget*>();
        values["tab"] = tabs && tabs->count() == 2 ? tabs->tabText(0) : QString();
        for (QLineEdit* field : sheet.findChildren<QLineEdit*>()) {
            EXPECT_TRUE(field->isReadOnly());
            values[field->objectName()] = field->text();
        }
        if (!screenshot.isEmpty()) {
            sheet.show();
            QCoreApplication::processEvents();
            sheet.grab().save(QStringLiteral(TALLOWMARK_SCREENSHOT_DIR "/") + screenshot);
        }
    };
    run();
    prompts.onModal = nullptr;
    return values;
}

TEST_F(GuiTest, PropertiesShowTheFiveFactsOfTheDocument) {
    IndexFileBuilder builder;
    builder.FileSizeField(0x80000000u).Hash(1).Url({.url = "http://a/"}).Blank().BadFood();
    const QString path = WriteIndex("index.dat", builder.Bytes());
    FileOpen(path);
    Frame().RouteCommand(cmd::ViewBlankRecords);  // hidden records still count
    TallowmarkView* view = Frame().ActiveView();
    const auto shown = ShownProperties(
        Prompts(), [&] { QTest::keyClick(view, Qt::Key_Return, Qt::AltModifier); },
        QStringLiteral("file-properties.png"));
    EXPECT_EQ(shown, (std::map<QString, QString>{{"tab", "General"},
                                                 {"name", path},
                                                 {"location", QFileInfo(path).absolutePath()},
                                                 {"version", "Client UrlCache MMF Ver 5.2"},
                                                 {"size", "2147483648 bytes"},
                                                 {"records", "4"}}));
}

// The Contents page holds info's facts of the file, read-only and selectable.
TEST_F(GuiTest, PropertiesContentsShowTheFactsOfTheWholeFile) {
    const QString real = QStringLiteral(TALLOWMARK_FIXTURES_DIR "/content-ie5-index.dat");
    if (!QFileInfo::exists(real)) GTEST_SKIP() << "no real sample files here";
    FileOpen(real);
    QString contents, title;
    Prompts().onModal = [&](QDialog& sheet) {
        auto* tabs = sheet.findChild<QTabWidget*>();
        ASSERT_EQ(tabs->count(), 2);
        tabs->setCurrentIndex(1);
        title = tabs->tabText(1);
        auto* page = sheet.findChild<QPlainTextEdit*>("contents");
        ASSERT_NE(page, nullptr);
        EXPECT_TRUE(page->isReadOnly());
        EXPECT_TRUE(page->textInteractionFlags() & Qt::TextSelectableByMouse);
        contents = page->toPlainText();
        sheet.show();
        QCoreApplication::processEvents();
        sheet.grab().save(QStringLiteral(TALLOWMARK_SCREENSHOT_DIR "/file-properties-contents.png"));
    };
    Frame().RouteCommand(cmd::FileProperties);
    Prompts().onModal = nullptr;
    EXPECT_EQ(title, "Contents");
    const QStringList lines = contents.split('\n');
    ASSERT_GT(lines.size(), 8);
    EXPECT_TRUE(lines[0].startsWith("Blocks: ")) << lines[0].toStdString();
    EXPECT_TRUE(lines.contains("Cache directories: 4"));
    EXPECT_TRUE(contents.contains("\nRecords by kind:\n  cache: 35 live, ")) << contents.toStdString();
}

}  // namespace
}  // namespace tallowmark::gui_testing
