// The main window's bars: its commands as actions, the menus of each state, the toolbar
// and the status bar's panes.
#include <QAction>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QProgressBar>
#include <QStatusBar>
#include <QToolBar>

#include "discovery/ImageFileSystems.h"
#include "shell/CommandTable.h"
#include "shell/RecentFileList.h"
#include "shell/qt/CommandActions.h"
#include "shell/qt/DocumentManager.h"
#include "shell/qt/LockKeyIndicators.h"
#include "shell/qt/MainFrame.h"
#include "shell/qt/ToolbarIcons.h"
#include "shell/qt/WindowArrangement.h"

namespace tallowmark {

namespace {
constexpr const char* kNoImageFileSystems =
    "This build reads no disk images: it was made without The Sleuth Kit's library (libtsk), or its module "
    "tallowmark-filesystems.so is not installed";
}  // namespace

void MainFrame::CreateActions() {
    auto makeAction = [this](int id, const QString& text) {
        QAction* action = MakeCommandAction(id, text, this);
        connect(action, &QAction::triggered, this, [this, id] { RouteCommand(id); });
        addAction(action);  // keys work whichever menu bar is shown
        m_actions[id] = action;
    };
    for (const auto* menus : {&NoDocumentMenu(), &DocumentMenu()})
        for (const MenuInfo& menu : *menus)
            for (const MenuItemInfo& item : menu.items)
                if (item.id != 0 && !m_actions.count(item.id)) makeAction(item.id, QString::fromLatin1(item.text));
    for (int id = cmd::RecentFirst + 1; id <= cmd::RecentLast; ++id) makeAction(id, QString());
    for (const CommandInfo& command : CommandTable())
        if (!m_actions.count(command.id)) makeAction(command.id, QString());
    const IconSet pictures = ToolbarIconSet();
    for (int id : ToolbarLayout())
        if (id != 0) m_actions[id]->setIcon(ToolbarIcon(id, pictures));
    if (!ReadsImageFileSystems()) {
        // The menu says why the command is unavailable (its update handler disables it).
        QAction* openImage = m_actions.at(cmd::OpenImage);
        openImage->setText(openImage->text() + QStringLiteral(" (not in this build)"));
        openImage->setStatusTip(QString::fromLatin1(kNoImageFileSystems));
    }

    // The system's key for closing the active document window; no command of ours.
    auto* closeWindow = new QAction(this);
    closeWindow->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F4));
    closeWindow->setShortcutContext(Qt::WindowShortcut);
    connect(closeWindow, &QAction::triggered, m_pMdiArea, &QMdiArea::closeActiveSubWindow);
    addAction(closeWindow);
}

void MainFrame::CreateToolBar() {
    m_pToolBar = new QToolBar(QStringLiteral("Toolbar"), this);
    m_pToolBar->setObjectName(QStringLiteral("Toolbar"));
    m_pToolBar->setIconSize(QSize(16, 15));
    for (int id : ToolbarLayout()) {
        if (id == 0) m_pToolBar->addSeparator();
        else
            m_pToolBar->addAction(m_actions.at(id));
    }
    addToolBar(Qt::TopToolBarArea, m_pToolBar);
}

void MainFrame::CreateStatusBar() {
    m_pIdleLabel = new QLabel(IdlePrompt(), this);
    statusBar()->addWidget(m_pIdleLabel, 1);
    m_pCountLabel = new QLabel(this);
    m_pCountLabel->setObjectName(QStringLiteral("RecordCount"));
    m_pCountLabel->setFrameShape(QFrame::StyledPanel);
    m_pLoadBar = new QProgressBar(this);
    m_pLoadBar->setObjectName(QStringLiteral("LoadProgress"));
    m_pLoadBar->setRange(0, 100);
    m_pLoadBar->setMaximumWidth(fontMetrics().horizontalAdvance(QLatin1Char('0')) * 24);
    m_pLoadBar->hide();
    statusBar()->addPermanentWidget(m_pLoadBar);
    statusBar()->addPermanentWidget(m_pCountLabel);
    AddLockKeyPanes(*statusBar());
}

QMenu* MainFrame::BuildMenu(const char* title, const std::vector<MenuItemInfo>& items) {
    auto* menu = new QMenu(QString::fromLatin1(title), menuBar());
    for (const MenuItemInfo& item : items) {
        if (item.id == 0) {
            menu->addSeparator();
        } else if (item.id == cmd::RecentFirst) {
            RecentFileList& recent = m_pDocuments->Services().recentFiles;
            if (recent.Paths().empty()) {
                QAction* placeholder = m_actions.at(cmd::RecentFirst);
                placeholder->setText(QString::fromLatin1(kRecentFilePlaceholder));
                menu->addAction(placeholder);
            }
            for (std::size_t i = 0; i < recent.Paths().size(); ++i) {
                QAction* action = m_actions.at(cmd::RecentFirst + static_cast<int>(i));
                action->setText(QString::fromStdString(recent.MenuText(i)));
                menu->addAction(action);
            }
        } else {
            menu->addAction(m_actions.at(item.id));
        }
    }
    connect(menu, &QMenu::aboutToShow, this, &MainFrame::UpdateCommandUi);
    if (QString::fromLatin1(title) == QLatin1String("&Window")) {
        connect(menu, &QMenu::aboutToShow, this, [this, menu] { FillWindowList(*menu, *m_pMdiArea); });
        FillWindowList(*menu, *m_pMdiArea);
    }
    return menu;
}

void MainFrame::RebuildMenus() {
    menuBar()->clear();
    const auto& menus = ActiveChild() ? DocumentMenu() : NoDocumentMenu();
    for (const MenuInfo& info : menus) menuBar()->addMenu(BuildMenu(info.title, info.items));
    UpdateCommandUi();
}

}  // namespace tallowmark
