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

QString MainFrame::IdlePrompt() const { return QString::fromLatin1(kIdlePrompt); }

void MainFrame::UpdateCountPane() {
    TallowmarkView* view = ActiveView();
    m_pCountLabel->setText(view ? view->CountText() : QString());
    m_pCountLabel->setVisible(view != nullptr);
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
