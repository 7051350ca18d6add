#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QTest>

#include "GuiTestSupport.h"
#include "shell/qt/AboutDlg.h"
#include "shell/qt/AboutText.h"
#include "shell/CommandIds.h"

namespace tallowmark::gui_testing {
namespace {

class AboutDlgTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        m_pDialog = App().MakeAboutBox();
        m_pDialog->show();
        QCoreApplication::processEvents();
    }
    void TearDown() override {
        m_pDialog.reset();  // before the main window it belongs to
        GuiTest::TearDown();
    }

    QLabel* Label(const char* name) { return m_pDialog->findChild<QLabel*>(QString::fromLatin1(name)); }
    QPoint Centre(const char* name) { return Label(name)->geometry().center(); }
    void MoveTo(QPoint point) {
        QMouseEvent move(QEvent::MouseMove, point, m_pDialog->mapToGlobal(point), Qt::NoButton, Qt::NoButton, {});
        QApplication::sendEvent(m_pDialog.get(), &move);
    }
    // Press and release the left button, as the window system delivers them.
    void Click(QPoint press, QPoint release) {
        QTest::mousePress(m_pDialog.get(), Qt::LeftButton, {}, press);
        QTest::mouseRelease(m_pDialog.get(), Qt::LeftButton, {}, release);
    }

    std::unique_ptr<AboutDlg> m_pDialog;
};

TEST_F(AboutDlgTest, TextsAndTheCommandThatShowsIt) {
    EXPECT_EQ(m_pDialog->windowTitle(), "About Tallowmark");
    EXPECT_EQ(Label("version")->text(), "Tallowmark 2.1.0");
    EXPECT_EQ(Label("copyright")->text().toStdString(), about::kCopyright);
    const QStringList paragraphs = Label("description")->text().split("\n\n");
    ASSERT_EQ(paragraphs.size(), 3);
    EXPECT_TRUE(paragraphs[0].startsWith("Even after clearing your history,"));
    EXPECT_EQ(paragraphs[1], "www.example.org -- Helping you protect your privacy.");
    EXPECT_EQ(paragraphs[2], "");
    EXPECT_EQ(Label("webLink")->text(), "https://www.example.org/");
    EXPECT_EQ(Label("emailLink")->text(), "support@example.org");
    m_pDialog->grab().save(QStringLiteral(TALLOWMARK_SCREENSHOT_DIR "/about-box.png"));

    Prompts().onModal = [](QDialog& dialog) { EXPECT_NE(qobject_cast<AboutDlg*>(&dialog), nullptr); };
    Frame().RouteCommand(cmd::AppAbout);
    EXPECT_EQ(Prompts().modalDialogs, 1);
}

TEST_F(AboutDlgTest, LinksShowWhetherThePointerIsOverOne) {
    auto underlined = [&](const char* name) { return Label(name)->font().underline(); };
    EXPECT_TRUE(underlined("webLink") && underlined("forumLink") && underlined("emailLink"));
    EXPECT_EQ(Label("webLink")->palette().color(QPalette::WindowText), m_pDialog->palette().color(QPalette::Link));
    MoveTo(Centre("forumLink"));
    EXPECT_FALSE(underlined("forumLink"));
    EXPECT_EQ(m_pDialog->cursor().shape(), Qt::PointingHandCursor);
    MoveTo(Centre("description"));
    EXPECT_TRUE(underlined("forumLink"));
    EXPECT_EQ(m_pDialog->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(AboutDlgTest, AClickOpensOnlyWhenPressAndReleaseShareAPixel) {
    const QPoint web = Centre("webLink");
    Click(web, web + QPoint(1, 0));
    Click(web, Centre("forumLink"));
    Click(Centre("description"), Centre("description"));
    EXPECT_TRUE(Prompts().openedUrls.empty());
    Click(web, web);
    Click(Centre("forumLink"), Centre("forumLink"));
    EXPECT_EQ(Prompts().openedUrls,
              (std::vector<QUrl>{QUrl("https://www.example.org/"), QUrl("https://www.example.org/forum")}));
}

TEST_F(AboutDlgTest, TheEmailLinkFirstSuggestsTheForum) {
    Prompts().questionAnswers = {UserPrompts::Answer::Yes, UserPrompts::Answer::No, UserPrompts::Answer::Cancel};
    for (int i = 0; i < 3; ++i) Click(Centre("emailLink"), Centre("emailLink"));
    ASSERT_EQ(Prompts().questions.size(), 3u);
    EXPECT_TRUE(Prompts().questions[0].startsWith("Due to the volume of e-mail I receive,"));
    EXPECT_EQ(Prompts().openedUrls,
              (std::vector<QUrl>{QUrl("https://www.example.org/forum"), QUrl("mailto:support@example.org")}));
}

}  // namespace
}  // namespace tallowmark::gui_testing
