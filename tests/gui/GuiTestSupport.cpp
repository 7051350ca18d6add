#include "GuiTestSupport.h"

#include <QMenuBar>
#include <QSettings>
#include <filesystem>

#include "presentation/RecordSort.h"
#include "presentation/qt/TallowmarkView.h"
#include "shell/qt/ChildFrame.h"
#include "shell/CommandIds.h"
#include "support/IndexFileBuilder.h"

namespace tallowmark::gui_testing {

void GuiTest::SetUp() {
    QSettings().clear();
    // The tests place the document windows themselves; the first one's filling the
    // workspace, the program's first choice, is a test of its own.
    QSettings().setValue("Window/DocumentsMaximized", 0);
    g_lastSortColumn = 0;
    auto prompts = std::make_unique<ScriptedPrompts>();
    m_pPrompts = prompts.get();
    App().SetPrompts(std::move(prompts));
    App().RecentFiles().Assign({});
    std::filesystem::create_directories(m_files.Root() / "etc/tmpfiles.d");
    App().SetBootDeletionRoot(m_files.Root().string());
    ASSERT_TRUE(App().InitInstance());
}

void GuiTest::TearDown() { App().ExitInstance(); }

void GuiTest::Restart() {
    App().ExitInstance();
    App().InitInstance();
}

TallowmarkDoc* GuiTest::FileOpen(const QString& path) {
    Prompts().answers.push_back(path);
    Frame().RouteCommand(cmd::FileOpen);
    QCoreApplication::processEvents();
    ChildFrame* active = Frame().ActiveChild();
    return active ? &active->View()->GetDocument() : nullptr;
}

QString GuiTest::WriteIndex(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    const std::string path = m_files.Path(name);
    testing::WriteFile(path, bytes);
    return QString::fromStdString(path);
}

std::vector<QString> GuiTest::MenuTitles() {
    std::vector<QString> titles;
    for (QAction* action : Frame().menuBar()->actions()) titles.push_back(action->text());
    return titles;
}

std::vector<QString> GuiTest::MenuItems(int menu) {
    std::vector<QString> items;
    QMenu* popup = Frame().menuBar()->actions().at(menu)->menu();
    emit popup->aboutToShow();
    for (QAction* action : popup->actions())
        items.push_back(action->isSeparator() ? QStringLiteral("-") : action->text());
    return items;
}

}  // namespace tallowmark::gui_testing
