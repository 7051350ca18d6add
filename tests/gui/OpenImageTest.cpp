#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QMdiArea>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>
#include <sstream>

#include "GuiTestSupport.h"
#include "discovery/ImageFileSystems.h"
#include "discovery/qt/OpenImageDlg.h"
#include "presentation/qt/TallowmarkView.h"
#include "shell/CommandIds.h"
#include "shell/qt/ChildFrame.h"
#include "support/DiskImages.h"
#include "support/IndexFileBuilder.h"

namespace tallowmark::gui_testing {
namespace {

namespace fs = std::filesystem;
using testing::IndexFileBuilder;

constexpr const char* kContent = "/Documents and Settings/bob/Local Settings/Temporary Internet Files/Content.IE5";
constexpr const char* kCookies = "/Documents and Settings/bob/Cookies";

// A FAT image with a content index whose first entry's cached copy is beside it and whose
// second one's is not, and deleted cookies.
class OpenImageTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        if (!ReadsImageFileSystems() || testing::RealFixtures().empty())
            GTEST_SKIP() << "needs libtsk and the real samples";
        IndexFileBuilder builder;
        builder.CacheDir(0, "ABCD1234").Hash(1);
        builder.Url({.url = "http://a/", .fileName = "page[1].htm", .dirIndex = 0});
        builder.Url({.url = "http://b/", .fileName = "gone[1].htm", .dirIndex = 0});
        m_content = m_files.Path("content.dat");
        builder.WriteTo(m_content);
        const std::string page = m_files.Path("page.htm");
        testing::WriteFile(page, {'c', 'a', 'c', 'h', 'e', 'd'});
        m_image = m_files.Path("disk.img");
        testing::MakeFat32(m_image, 40);
        testing::FatPut(m_image, m_content, std::string(kContent) + "/index.dat");
        testing::FatPut(m_image, page, std::string(kContent) + "/ABCD1234/page[1].htm");
        testing::FatPut(m_image, testing::RealFixtures() + "/history-ie5-index.dat", std::string(kCookies) + "/index.dat");
        testing::FatDelete(m_image, std::string(kCookies) + "/index.dat");
    }

    // Opens the image through File > Open Image, picks every row that can be opened, and
    // keeps the dialog's rows and status as they were at the end of the walk.
    void OpenEverything() {
        Prompts().answers = {QString::fromStdString(m_image)};
        Prompts().onImageFiles = [this](OpenImageDlg& dialog) {
            dialog.show();
            auto* status = dialog.findChild<QLineEdit*>();
            QPushButton* stop = nullptr;
            for (QPushButton* button : dialog.findChildren<QPushButton*>())
                if (button->text() == "Stop") stop = button;
            // The walk's end disables Stop.
            EXPECT_TRUE(QTest::qWaitFor([&] { return !stop->isEnabled(); }, 10000));
            m_status = status->text();
            auto* list = dialog.findChild<QTreeWidget*>();
            m_rows.clear();
            for (int row = 0; row < list->topLevelItemCount(); ++row) {
                QStringList texts;
                for (int column = 0; column < list->columnCount(); ++column)
                    texts << list->topLevelItem(row)->text(column);
                m_rows.push_back(texts.join(QStringLiteral("|")));
            }
            dialog.grab().save(QStringLiteral(TALLOWMARK_SCREENSHOT_DIR "/open-image.png"));
            list->selectAll();
            dialog.accept();
            return dialog.GetSelectedFiles();
        };
        Frame().RouteCommand(cmd::OpenImage);
    }

    bool Enabled(int id) {
        Frame().UpdateCommandUi();
        return Frame().Action(id)->isEnabled();
    }

    std::string m_image, m_content;
    QString m_status;
    std::vector<QString> m_rows;
};

TEST_F(OpenImageTest, TheWalkIsListedAndThePickedFilesOpenFromTheImage) {
    OpenEverything();
    EXPECT_EQ(Prompts().lastFilters.front(), "Disk Images (*.dd *.raw *.img *.001 *.E01 *.e01);;All Files (*)");
    EXPECT_EQ(m_status, "2 index files found");
    ASSERT_EQ(m_rows.size(), 2u);
    EXPECT_TRUE(m_rows[0].startsWith(QStringLiteral("allocated|bob|cache|") + kContent + "/index.dat|")) << m_rows[0].toStdString();
    EXPECT_TRUE(m_rows[1].startsWith(QStringLiteral("deleted|bob|cookie|") + kCookies + "/_ndex.dat|")) << m_rows[1].toStdString();

    const std::vector<ChildFrame*> frames = Frame().Frames();
    ASSERT_EQ(frames.size(), 2u);
    const TallowmarkDoc& content = frames[0]->View()->GetDocument();
    const TallowmarkDoc& cookies = frames[1]->View()->GetDocument();
    EXPECT_EQ(content.Title(), m_image + ":1:" + kContent + "/index.dat");
    EXPECT_EQ(cookies.Title(), m_image + ":1:" + kCookies + "/_ndex.dat (deleted)");
    TallowmarkDoc loose;
    ASSERT_TRUE(loose.OnOpenDocument(testing::RealFixtures() + "/history-ie5-index.dat"));
    EXPECT_EQ(cookies.RecordCount(), loose.RecordCount());

    // Not a file of this machine: no Delete on Restart. The properties say where it lies.
    EXPECT_FALSE(Enabled(cmd::DeleteOnRestart));
    std::map<QString, QString> shown;
    Prompts().onModal = [&](QDialog& sheet) {
        for (QLineEdit* field : sheet.findChildren<QLineEdit*>()) shown[field->objectName()] = field->text();
        sheet.grab().save(QStringLiteral(TALLOWMARK_SCREENSHOT_DIR "/image-file-properties.png"));
    };
    Frame().RouteCommand(cmd::FileProperties);
    EXPECT_EQ(shown["Image:"].toStdString(), m_image);
    EXPECT_EQ(shown["Partition:"], "1, FAT32 from sector 0");
    EXPECT_EQ(shown["Path in image:"].toStdString(), std::string(kCookies) + "/_ndex.dat");
    EXPECT_EQ(shown["State:"], "deleted");
    EXPECT_EQ(shown["SHA-256:"].size(), 64);

    // The same file again: its window comes back, no second document.
    OpenEverything();
    EXPECT_EQ(Frame().Frames().size(), 2u);

    // Save As writes a copy beside the image and makes the document that copy.
    Prompts().answers = {m_files.Path("copy.dat").c_str()};
    Frame().RouteCommand(cmd::FileSaveAs);
    EXPECT_EQ(Prompts().startPlaces.back(),
              (std::pair{QFileInfo(QString::fromStdString(m_image)).absolutePath(), QStringLiteral("_ndex.dat")}));
    std::ostringstream copyOfLoose;
    loose.Serialize(copyOfLoose);
    EXPECT_EQ(testing::ReadText(m_files.Path("copy.dat")), copyOfLoose.str());
    EXPECT_EQ(Frame().ActiveView()->GetDocument().Origin(), nullptr);
    EXPECT_TRUE(Enabled(cmd::DeleteOnRestart));
}

TEST_F(OpenImageTest, TheCachedCopyIsReadOutOfTheImage) {
    OpenEverything();
    Frame().findChild<QMdiArea*>()->setActiveSubWindow(Frame().Frames()[0]);
    TallowmarkView* view = Frame().ActiveView();
    view->setCurrentIndex(view->model()->index(1, 0));
    ASSERT_TRUE(Enabled(cmd::CachedFileDefault));
    Frame().RouteCommand(cmd::CachedFileDefault);
    ASSERT_EQ(Prompts().openedUrls.size(), 1u);
    const fs::path copy = Prompts().openedUrls[0].toLocalFile().toStdString();
    EXPECT_EQ(copy.filename(), "page[1].htm");
    EXPECT_EQ(testing::ReadText(copy.string()), "cached");
    EXPECT_EQ(fs::status(copy.parent_path().parent_path()).permissions() & fs::perms::all, fs::perms::owner_all);

    view->setCurrentIndex(view->model()->index(2, 0));
    ASSERT_TRUE(Enabled(cmd::CachedFileDefault));
    Frame().RouteCommand(cmd::CachedFileDefault);
    ASSERT_FALSE(Prompts().messages.empty());
    EXPECT_EQ(Prompts().messages.back().text.toStdString(),
              "The cached copy " + std::string(kContent) + "/ABCD1234/gone[1].htm is not in the image.");
    EXPECT_EQ(Prompts().openedUrls.size(), 1u);
}

}  // namespace
}  // namespace tallowmark::gui_testing
