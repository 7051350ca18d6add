#include "shell/qt/MainFrame.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QWhatsThis>

#include "discovery/ImageFileSystems.h"
#include "presentation/qt/TallowmarkView.h"
#include "shell/qt/ChildFrame.h"
#include "shell/qt/CommandActions.h"
#include "shell/CommandTable.h"
#include "shell/qt/DocumentCommands.h"
#include "shell/qt/HelpWindow.h"
#include "shell/qt/LockKeyIndicators.h"
#include "shell/RecentFileList.h"
#include "shell/qt/ToolbarIcons.h"
#include "shell/qt/UserPrompts.h"
#include "shell/qt/ViewCommands.h"
#include "shell/qt/WindowArrangement.h"

namespace tallowmark {

namespace {
constexpr const char* kHelpMissing = "The help file %1 was not found.";
constexpr const char* kNoImageFileSystems =
    "This build reads no disk images: it was made without The Sleuth Kit's library (libtsk)";

// A dropped file's path as its bytes: file managers send them percent-encoded, and a name
// that is not UTF-8 would not survive the trip through QString.
std::string DroppedPath(const QUrl& url) {
#ifdef Q_OS_WIN
    return url.toLocalFile().toStdString();
#else
    return QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString();
#endif
}
}  // namespace

MainFrame::MainFrame(const ShellServices& services, CommandTarget& application)
    : m_pMdiArea(new QMdiArea(this)),
      m_pDocuments(std::make_unique<DocumentManager>(*m_pMdiArea, services)),
      m_application(application) {
    setObjectName(QStringLiteral("MainFrame"));
    setCentralWidget(m_pMdiArea);
    setAcceptDrops(true);
    CreateActions();
    CreateToolBar();
    CreateStatusBar();
    RebuildMenus();
    connect(m_pMdiArea, &QMdiArea::subWindowActivated, this, [this] {
        RebuildMenus();
        UpdateCaptions();
        UpdateCommandUi();
        UpdateCountPane();
    });
    connect(m_pDocuments.get(), &DocumentManager::FrameCreated, this, &MainFrame::OnFrameCreated);
    connect(m_pDocuments.get(), &DocumentManager::DocumentsChanged, this, [this] {
        RebuildMenus();
        UpdateCaptions();
        UpdateCountPane();
    });
    connect(m_pDocuments.get(), &DocumentManager::StatusMessage, this,
            [this](const QString& text) { statusBar()->showMessage(text); });
    UpdateCaptions();
    UpdateCommandUi();
    UpdateCountPane();
    resize(1100, 720);
}

MainFrame::~MainFrame() {
    // Views go before the documents they show; the documents go with their last view.
    m_pMdiArea->closeAllSubWindows();
    for (ChildFrame* frame : Frames()) delete frame;
}

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
    for (int id : ToolbarLayout())
        if (id != 0) m_actions[id]->setIcon(ToolbarIcon(id));
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
    statusBar()->addPermanentWidget(m_pCountLabel);
    AddLockKeyPanes(*statusBar());
}

QString MainFrame::IdlePrompt() const { return QString::fromLatin1(kIdlePrompt); }

void MainFrame::UpdateCountPane() {
    TallowmarkView* view = ActiveView();
    m_pCountLabel->setText(view ? view->CountText() : QString());
    m_pCountLabel->setVisible(view != nullptr);
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

QAction* MainFrame::Action(int id) const {
    const auto found = m_actions.find(id);
    return found == m_actions.end() ? nullptr : found->second;
}

void MainFrame::OnFrameCreated(ChildFrame* frame) {
    TallowmarkView* view = frame->View();
    connect(view, &TallowmarkView::CurrentEntryChanged, this, &MainFrame::UpdateCommandUi);
    connect(view, &TallowmarkView::RowsChanged, this, &MainFrame::UpdateCountPane);
    connect(view, &TallowmarkView::ContextMenuRequested, this, [this](const QPoint& position) {
        const std::unique_ptr<QMenu> menu = CreateContextMenu();
        if (QAction* chosen = menu->exec(position)) {
            UpdateCommandUi();  // a command its update handler disables does not run
            if (QAction* action = Action(chosen->data().toInt())) action->trigger();
        }
    });
    connect(frame, &QMdiSubWindow::windowStateChanged, this, [this] { UpdateCaptions(); });
}

std::unique_ptr<QMenu> MainFrame::CreateContextMenu() {
    return MakeRecordContextMenu(this, Route().State(cmd::CachedFileDefault).enabled);
}

void MainFrame::UpdateCaptions() {
    m_pDocuments->UpdateCaptions();
    setWindowTitle(m_pDocuments->MainCaption());
}

CommandRoute MainFrame::Route() {
    ChildFrame* child = ActiveChild();
    if (!child) return CommandRoute{this, &m_application};
    return CommandRoute{&child->ViewTarget(), &child->DocumentTarget(), child, this, &m_application};
}

bool MainFrame::RouteCommand(int id) {
    const bool handled = Route().Run(id);
    // The command may have closed the window that routed it.
    QTimer::singleShot(0, this, &MainFrame::UpdateCommandUi);
    return handled;
}

void MainFrame::UpdateCommandUi() {
    const CommandRoute route = Route();
    for (auto& [id, action] : m_actions) {
        const CommandState state = route.State(id);
        action->setEnabled(state.enabled);
        if (action->isCheckable()) action->setChecked(state.checked.value_or(false));
    }
}

void MainFrame::OpenHelp() {
    const QString page = HelpWindow::PagePath();
    if (!QFileInfo::exists(page)) {
        m_pDocuments->Services().prompts.Message(this, UserPrompts::Icon::Warning,
                                                 QString::fromLatin1(kHelpMissing).arg(page));
        return;
    }
    if (!m_pHelpWindow) m_pHelpWindow = new HelpWindow(this);
    m_pHelpWindow->ShowPage(page);
}

bool MainFrame::OnCommand(int id) {
    switch (id) {
        case cmd::ViewToolbar: m_pToolBar->setVisible(!m_pToolBar->isVisible()); return true;
        case cmd::ViewStatusBar: statusBar()->setVisible(!statusBar()->isVisible()); return true;
        case cmd::WindowNew:
            if (TallowmarkView* view = ActiveView()) m_pDocuments->CreateChildFrame(view->DocumentPointer());
            return true;
        case cmd::WindowCascade: CascadeFrames(*m_pMdiArea); return true;
        case cmd::WindowTile: TileFrames(*m_pMdiArea); return true;
        case cmd::WindowArrange:
            for (QMdiSubWindow* window : m_pMdiArea->subWindowList())
                if (window->isMinimized()) window->showMinimized();
            return true;
        case cmd::HelpTopics:
        case cmd::Help:
        case cmd::DefaultHelp: OpenHelp(); return true;
        case cmd::ContextHelp: QWhatsThis::enterWhatsThisMode(); return true;
        default: return false;
    }
}

std::optional<CommandState> MainFrame::OnUpdateCommand(int id) {
    switch (id) {
        case cmd::ViewToolbar: return CommandState{true, m_pToolBar->isVisibleTo(this)};
        case cmd::ViewStatusBar: return CommandState{true, statusBar()->isVisibleTo(this)};
        case cmd::WindowNew:
        case cmd::WindowCascade:
        case cmd::WindowTile:
        case cmd::WindowArrange: return CommandState{ActiveChild() != nullptr, std::nullopt};
        case cmd::HelpTopics:
        case cmd::Help:
        case cmd::DefaultHelp:
        case cmd::ContextHelp: return CommandState{};
        default: return std::nullopt;
    }
}

void MainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MainFrame::dropEvent(QDropEvent* event) {
    std::vector<std::string> paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile()) paths.push_back(DroppedPath(url));
    event->acceptProposedAction();
    // Opened once the drop has completed, so that a message box about a file never keeps
    // the program that dragged it waiting.
    QTimer::singleShot(0, this, [this, paths] {
        for (const std::string& path : paths) m_pDocuments->OpenDocumentFile(path);
    });
}

}  // namespace tallowmark
