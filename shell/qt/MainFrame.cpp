#include "shell/qt/MainFrame.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
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
#include "shell/WindowPlacement.h"
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
    connect(m_pDocuments.get(), &DocumentManager::Loading, this, [this](const QString& text, int percent) {
        statusBar()->showMessage(text);
        m_pLoadBar->setValue(percent);
        m_pLoadBar->show();
    });
    connect(m_pDocuments.get(), &DocumentManager::LoadEnded, this, [this] {
        if (m_pLoadBar->isHidden()) return;
        m_pLoadBar->hide();
        statusBar()->clearMessage();
    });
    m_settings = FrameSettings::Load();
    m_pDocuments->SetFirstWindowFills(m_settings.documentsMaximized);
    SetTabbedView(m_settings.tabbed);
    UpdateCaptions();
    UpdateCommandUi();
    UpdateCountPane();
    PlaceOnScreen();
}

void MainFrame::PlaceOnScreen() {
    WindowPlace wanted = m_settings.place.value_or(kFirstWindowPlace);
    const QPoint centre(wanted.x + wanted.width / 2, wanted.y + wanted.height / 2);
    const QScreen* shown = m_settings.place ? QGuiApplication::screenAt(centre) : nullptr;
    if (!shown) shown = QGuiApplication::primaryScreen();
    if (!shown) return resize(wanted.width, wanted.height);
    const QRect free = shown->availableGeometry();
    if (!m_settings.place) {
        wanted.x = free.x() + (free.width() - wanted.width) / 2;
        wanted.y = free.y() + (free.height() - wanted.height) / 2;
    }
    // The frame is the window manager's and not known before the window shows: room for
    // a caption and borders.
    const int border = 2 * style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
    const WindowPlace fitted = FitToScreen(wanted, {free.x(), free.y(), free.width(), free.height()}, border,
                                           border + style()->pixelMetric(QStyle::PM_TitleBarHeight));
    setGeometry(fitted.x, fitted.y, fitted.width, fitted.height);
}

void MainFrame::ShowAsKept() {
    if (m_settings.maximized) showMaximized();
    else
        show();
}

void MainFrame::SaveSettings() {
    const QRect normal = isMaximized() || isMinimized() ? normalGeometry() : geometry();
    if (normal.isValid()) m_settings.place = WindowPlace{normal.x(), normal.y(), normal.width(), normal.height()};
    m_settings.maximized = isMaximized();
    m_settings.Save();
}

bool MainFrame::IsTabbedView() const { return m_pMdiArea->viewMode() == QMdiArea::TabbedView; }

void MainFrame::SetTabbedView(bool tabbed) {
    m_settings.tabbed = tabbed;
    if (tabbed == IsTabbedView()) return;
    m_pMdiArea->setViewMode(tabbed ? QMdiArea::TabbedView : QMdiArea::SubWindowView);
    if (!tabbed) return;
    m_pMdiArea->setDocumentMode(true);
    m_pMdiArea->setTabsClosable(true);
    m_pMdiArea->setTabsMovable(true);
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
    connect(frame, &QMdiSubWindow::windowStateChanged, this, [this](Qt::WindowStates before, Qt::WindowStates now) {
        UpdateCaptions();
        // Whether the user has the windows fill the workspace: the next first one will too.
        if (IsTabbedView() || (now & Qt::WindowMinimized) || (before & Qt::WindowMinimized)) return;
        if ((now & Qt::WindowMaximized) != (before & Qt::WindowMaximized)) {
            m_settings.documentsMaximized = (now & Qt::WindowMaximized) != 0;
            m_pDocuments->SetFirstWindowFills(m_settings.documentsMaximized);
        }
    });
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
        case cmd::WindowTabbed:
            SetTabbedView(!IsTabbedView());
            UpdateCaptions();
            return true;
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
        case cmd::WindowNew: return CommandState{ActiveChild() != nullptr, std::nullopt};
        // Tabs have no places to arrange.
        case cmd::WindowCascade:
        case cmd::WindowTile:
        case cmd::WindowArrange: return CommandState{ActiveChild() != nullptr && !IsTabbedView(), std::nullopt};
        case cmd::WindowTabbed: return CommandState{true, IsTabbedView()};
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
