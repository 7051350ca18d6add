#include "shell/MainFrame.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>
#include <QStyle>
#include <QTextBrowser>
#include <QTimer>
#include <QToolBar>
#include <QWhatsThis>

#include "platform/NativePath.h"
#include "platform/SystemInfo.h"
#include "presentation/PathText.h"
#include "presentation/TallowmarkView.h"
#include "shell/AppIcons.h"
#include "shell/CascadeLayout.h"
#include "shell/ChildFrame.h"
#include "shell/CommandTable.h"
#include "shell/LockKeyIndicators.h"
#include "shell/TallowmarkApp.h"
#include "shell/ToolbarIcons.h"
#include "shell/UserPrompts.h"

namespace tallowmark {

namespace {
constexpr const char* kSaveAsFilter = "Index Files (*.dat)";
constexpr const char* kHelpFileName = "tallowmark-help.html";
constexpr const char* kHelpMissing = "The help file %1 was not found.";
constexpr const char* kNoApplication = "No application is registered to open %1.";
constexpr const char* kNoTextEditor = "No text editor was found to open %1.";
constexpr const char* kListWhatsThis =
    "The records of the index file, one row each. Press Enter or double-click a row for everything known "
    "about it; click a column title to sort by it.";

bool IsCheckable(int id) {
    return id == cmd::ViewBlankRecords || id == cmd::ViewBadfoodRecords || id == cmd::ViewToolbar ||
           id == cmd::ViewStatusBar || id == cmd::DeleteOnRestart || id == cmd::ViewTimeline;
}

// The same file, however its path was written; the bytes as they are, UTF-8 or not.
std::string PathKey(const std::string& path) {
    const std::string canonical = CanonicalPath(path);
    return canonical.empty() ? AbsolutePath(path) : canonical;
}
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

MainFrame::MainFrame() : m_pMdiArea(new QMdiArea(this)) {
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
        auto* action = new QAction(text, this);
        action->setData(id);
        if (const CommandInfo* command = FindCommand(id)) {
            action->setStatusTip(QString::fromLatin1(CommandPrompt(*command).c_str()));
            action->setWhatsThis(action->statusTip());
            const std::string tip = CommandTooltip(*command);
            if (!tip.empty()) action->setToolTip(QString::fromLatin1(tip.c_str()).remove(QLatin1Char('&')));
            QList<QKeySequence> keys;
            for (const char* key : command->keys) keys.push_back(QKeySequence(QString::fromLatin1(key)));
            action->setShortcuts(keys);
            action->setShortcutContext(Qt::WindowShortcut);
        }
        action->setCheckable(IsCheckable(id));
        if (id >= cmd::RecentFirst && id <= cmd::RecentLast) {
            action->setStatusTip(QStringLiteral("Open this document"));
            action->setWhatsThis(action->statusTip());
        }
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
    const char* names[] = {"CAP", "NUM", "SCRL"};
    for (int i = 0; i < 3; ++i) {
        m_pLockLabels[i] = new QLabel(QString::fromLatin1(names[i]), this);
        m_pLockLabels[i]->setFrameShape(QFrame::StyledPanel);
        m_pLockLabels[i]->setAlignment(Qt::AlignCenter);
        m_pLockLabels[i]->setMinimumWidth(40);
        statusBar()->addPermanentWidget(m_pLockLabels[i]);
    }
    RefreshLockKeys();
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, &MainFrame::RefreshLockKeys);
    timer->start(500);
}

QString MainFrame::IdlePrompt() const { return QString::fromLatin1(kIdlePrompt); }

void MainFrame::UpdateCountPane() {
    TallowmarkView* view = ActiveView();
    m_pCountLabel->setText(view ? view->CountText() : QString());
    m_pCountLabel->setVisible(view != nullptr);
}

void MainFrame::OpenWithDefaultApplication(const QUrl& url) {
    if (TallowmarkApp::Instance()->Prompts().OpenUrl(url) != platform::LaunchResult::NoApplication) return;
    const QString target = url.isLocalFile() ? QDir::toNativeSeparators(url.toLocalFile()) : url.toString();
    statusBar()->showMessage(QString::fromLatin1(kNoApplication).arg(target));
}

void MainFrame::OpenInTextEditor(const QString& path) {
    if (TallowmarkApp::Instance()->Prompts().OpenInTextEditor(path) != platform::LaunchResult::NoApplication) return;
    statusBar()->showMessage(QString::fromLatin1(kNoTextEditor).arg(QDir::toNativeSeparators(path)));
}

void MainFrame::RefreshLockKeys() {
    const auto keys = ReadLockKeyIndicators();
    const bool states[] = {keys && keys->capsLock, keys && keys->numLock, keys && keys->scrollLock};
    for (int i = 0; i < 3; ++i) m_pLockLabels[i]->setEnabled(states[i]);
}

QMenu* MainFrame::BuildMenu(const char* title, const std::vector<MenuItemInfo>& items) {
    auto* menu = new QMenu(QString::fromLatin1(title), menuBar());
    for (const MenuItemInfo& item : items) {
        if (item.id == 0) {
            menu->addSeparator();
        } else if (item.id == cmd::RecentFirst) {
            RecentFileList& recent = TallowmarkApp::Instance()->RecentFiles();
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
        connect(menu, &QMenu::aboutToShow, this, [this, menu] { FillWindowList(menu); });
        FillWindowList(menu);
    }
    return menu;
}

void MainFrame::RebuildMenus() {
    menuBar()->clear();
    const auto& menus = ActiveChild() ? DocumentMenu() : NoDocumentMenu();
    for (const MenuInfo& info : menus) menuBar()->addMenu(BuildMenu(info.title, info.items));
    UpdateCommandUi();
}

void MainFrame::FillWindowList(QMenu* menu) {
    for (QAction* action : menu->actions())
        if (action->property("windowListEntry").toBool()) {
            menu->removeAction(action);
            action->deleteLater();
        }
    const auto frames = Frames();
    if (frames.empty()) return;
    QAction* separator = menu->addSeparator();
    separator->setProperty("windowListEntry", true);
    for (std::size_t i = 0; i < frames.size(); ++i) {
        ChildFrame* frame = frames[i];
        QAction* entry = menu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(frame->windowTitle()));
        entry->setProperty("windowListEntry", true);
        entry->setCheckable(true);
        entry->setChecked(frame == ActiveChild());
        connect(entry, &QAction::triggered, this, [this, frame] { m_pMdiArea->setActiveSubWindow(frame); });
    }
}

QAction* MainFrame::Action(int id) const {
    const auto found = m_actions.find(id);
    return found == m_actions.end() ? nullptr : found->second;
}

ChildFrame* MainFrame::ActiveChild() const { return qobject_cast<ChildFrame*>(m_pMdiArea->activeSubWindow()); }

TallowmarkView* MainFrame::ActiveView() const {
    ChildFrame* child = ActiveChild();
    return child ? child->View() : nullptr;
}

std::vector<ChildFrame*> MainFrame::Frames() const {
    std::vector<ChildFrame*> frames;
    for (QMdiSubWindow* window : m_pMdiArea->subWindowList(QMdiArea::CreationOrder))
        if (auto* frame = qobject_cast<ChildFrame*>(window)) frames.push_back(frame);
    return frames;
}

std::vector<std::string> MainFrame::OpenDocumentPaths() const {
    std::vector<std::string> paths;
    for (ChildFrame* frame : Frames()) paths.push_back(frame->View()->GetDocument().PathName());
    return paths;
}

std::vector<ChildFrame*> MainFrame::FramesOf(const TallowmarkDoc& document) const {
    std::vector<ChildFrame*> frames;
    for (ChildFrame* frame : Frames())
        if (&frame->View()->GetDocument() == &document) frames.push_back(frame);
    return frames;
}

TallowmarkDoc* MainFrame::FindOpenDocument(const std::string& path) const {
    const std::string key = PathKey(path);
    for (ChildFrame* frame : Frames()) {
        TallowmarkDoc& open = frame->View()->GetDocument();
        if (PathKey(open.PathName()) == key) return &open;
    }
    return nullptr;
}

TallowmarkDoc* MainFrame::OpenDocumentFile(const std::string& path) {
    if (TallowmarkDoc* open = FindOpenDocument(path)) {
        m_pMdiArea->setActiveSubWindow(FramesOf(*open).front());
        return open;
    }
    auto document = std::make_shared<TallowmarkDoc>();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const Outcome opened = document->OnOpenDocument(NativeSeparators(AbsolutePath(path)));
    QApplication::restoreOverrideCursor();
    if (!opened) {
        TallowmarkApp::Instance()->Prompts().Message(this, UserPrompts::Icon::Warning,
                                                     QString::fromStdString(opened.message));
        return nullptr;
    }
    CreateChildFrame(document);
    return document.get();
}

ChildFrame* MainFrame::CreateChildFrame(const std::shared_ptr<TallowmarkDoc>& document) {
    auto* view = new TallowmarkView(document);
    auto* frame = new ChildFrame(view);
    m_pMdiArea->addSubWindow(frame);
    connect(view, &TallowmarkView::CurrentEntryChanged, this, &MainFrame::UpdateCommandUi);
    connect(view, &TallowmarkView::RowsChanged, this, &MainFrame::UpdateCountPane);
    connect(view, &TallowmarkView::ContextCommand, this, [this](int id) {
        UpdateCommandUi();  // a command its update handler disables does not run
        if (QAction* action = Action(id)) action->trigger();
    });
    connect(frame, &QObject::destroyed, this, [this] {
        QTimer::singleShot(0, this, [this] {
            RebuildMenus();
            UpdateCaptions();
            UpdateCountPane();
        });
    });
    connect(frame, &QMdiSubWindow::windowStateChanged, this, [this] { UpdateCaptions(); });
    frame->setWhatsThis(QString::fromLatin1(kListWhatsThis));
    view->setWhatsThis(QString::fromLatin1(kListWhatsThis));
    UpdateCaptions();
    ChildFrame* active = ActiveChild();
    if (active && active->isMaximized()) {
        frame->showMaximized();
    } else {
        PlaceFrame(frame, static_cast<int>(Frames().size()) - 1);
        frame->show();
    }
    m_pMdiArea->setActiveSubWindow(frame);
    view->OnInitialUpdate();
    view->setFocus();
    return frame;
}

void MainFrame::UpdateCaptions() {
    std::map<const TallowmarkDoc*, std::vector<ChildFrame*>> byDocument;
    for (ChildFrame* frame : Frames()) byDocument[&frame->View()->GetDocument()].push_back(frame);
    for (auto& [document, frames] : byDocument) {
        const QString title = QString::fromStdString(PathDisplayText(document->Title()));
        for (std::size_t i = 0; i < frames.size(); ++i)
            frames[i]->setWindowTitle(frames.size() > 1 ? QStringLiteral("%1:%2").arg(title).arg(i + 1) : title);
    }
    // A maximised child's caption is added by the MDI area itself ("Tallowmark - [title:2]").
    ChildFrame* active = ActiveChild();
    if (active && !active->isMaximized())
        setWindowTitle(QStringLiteral("Tallowmark - %1")
                           .arg(QString::fromStdString(PathDisplayText(active->View()->GetDocument().Title()))));
    else
        setWindowTitle(QStringLiteral("Tallowmark"));
}

int MainFrame::CascadeStep() const {
    return style()->pixelMetric(QStyle::PM_TitleBarHeight) +
           2 * style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth);
}

QSize MainFrame::Workspace() const {
    // The area's own contents, not its viewport: while the main window is still hidden the
    // viewport has not been given its size yet.
    return m_pMdiArea->contentsRect().size();
}

void MainFrame::PlaceFrame(QMdiSubWindow* frame, int index) {
    const QSize workspace = Workspace();
    const WindowPlace place = CascadePlace(index, workspace.width(), workspace.height(), CascadeStep());
    frame->setGeometry(place.x, place.y, place.width, place.height);
}

void MainFrame::CascadeFrames() {
    // Oldest first, so the active window ends on top at the last step.
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* window : m_pMdiArea->subWindowList(QMdiArea::StackingOrder))
        if (!window->isMinimized()) windows.push_back(window);
    for (int i = 0; i < windows.size(); ++i) {
        if (windows[i]->isMaximized()) windows[i]->showNormal();
        PlaceFrame(windows[i], i);
        windows[i]->raise();
    }
}

void MainFrame::TileFrames() {
    QList<QMdiSubWindow*> windows;
    const QList<QMdiSubWindow*> stacked = m_pMdiArea->subWindowList(QMdiArea::StackingOrder);
    for (auto window = stacked.rbegin(); window != stacked.rend(); ++window)
        if (!(*window)->isMinimized()) windows.push_back(*window);
    const QSize workspace = Workspace();
    for (int i = 0; i < windows.size(); ++i) {
        if (windows[i]->isMaximized()) windows[i]->showNormal();
        const int count = static_cast<int>(windows.size());
        const WindowPlace place = TilePlace(i, count, workspace.width(), workspace.height());
        windows[i]->setGeometry(place.x, place.y, place.width, place.height);
    }
}

bool MainFrame::RouteCommand(int id) {
    bool handled = false;
    if (TallowmarkView* view = ActiveView()) {
        handled = view->OnCommand(id) || OnDocumentCommand(id, view->GetDocument());
    }
    handled = handled || OnCommand(id) || TallowmarkApp::Instance()->OnCommand(id);
    // The command may have closed the window that routed it.
    QTimer::singleShot(0, this, &MainFrame::UpdateCommandUi);
    return handled;
}

CommandState MainFrame::QueryCommand(int id) {
    if (TallowmarkView* view = ActiveView()) {
        if (auto state = view->OnUpdateCommand(id)) return *state;
        if (id == cmd::FileClose || id == cmd::FileSaveAs) return CommandState{};
    }
    if (auto state = OnUpdateCommand(id)) return *state;
    if (auto state = TallowmarkApp::Instance()->OnUpdateCommand(id)) return *state;
    return CommandState{false, std::nullopt};
}

void MainFrame::UpdateCommandUi() {
    for (auto& [id, action] : m_actions) {
        const CommandState state = QueryCommand(id);
        action->setEnabled(state.enabled);
        if (action->isCheckable()) action->setChecked(state.checked.value_or(false));
    }
}

bool MainFrame::OnDocumentCommand(int id, TallowmarkDoc& document) {
    switch (id) {
        case cmd::FileClose:
            for (ChildFrame* frame : FramesOf(document)) frame->close();
            return true;
        case cmd::FileSaveAs: OnFileSaveAs(document); return true;
        default: return false;
    }
}

void MainFrame::OnFileSaveAs(TallowmarkDoc& document) {
    UserPrompts& prompts = TallowmarkApp::Instance()->Prompts();
    const QFileInfo original(QString::fromStdString(document.PathName()));
    const QString path = prompts.AskSavePath(this, QString::fromLatin1(kSaveAsFilter), QStringLiteral("dat"),
                                             original.absolutePath(), original.fileName());
    if (path.isEmpty()) return;
    // The file of an open document is evidence: never written over, by a name or a link.
    const std::string target = NativeSeparators(QFileInfo(path).absoluteFilePath().toStdString());
    const std::vector<std::string> openFiles = OpenDocumentPaths();
    if (const Outcome refused = RefuseOpenDocumentFile(target, openFiles); !refused) {
        prompts.Message(this, UserPrompts::Icon::Critical, QString::fromStdString(refused.message));
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const Outcome saved = document.SaveAs(target, openFiles);
    QApplication::restoreOverrideCursor();
    if (!saved) {
        prompts.Message(this, UserPrompts::Icon::Warning, QString::fromStdString(saved.message));
        return;
    }
    TallowmarkApp::Instance()->RecentFiles().Add(document.PathName());
    RebuildMenus();
    UpdateCaptions();
}

void MainFrame::OpenHelp() {
    // Our own window, so help works where the desktop has no browser to hand it to.
    // Beside the program in the build; in the data folder once installed.
    const QString folder = QCoreApplication::applicationDirPath();
    QString help = folder + QLatin1Char('/') + QLatin1String(kHelpFileName);
    const QString installed = folder + QStringLiteral("/../share/tallowmark/") + QLatin1String(kHelpFileName);
    if (!QFileInfo::exists(help) && QFileInfo::exists(installed)) help = QFileInfo(installed).absoluteFilePath();
    if (!QFileInfo::exists(help)) {
        TallowmarkApp::Instance()->Prompts().Message(this, UserPrompts::Icon::Warning,
                                                     QString::fromLatin1(kHelpMissing).arg(help));
        return;
    }
    if (!m_pHelpWindow) {
        m_pHelpWindow = new QTextBrowser(this);
        m_pHelpWindow->setObjectName(QStringLiteral("HelpWindow"));
        m_pHelpWindow->setWindowFlag(Qt::Window);
        m_pHelpWindow->setWindowTitle(QStringLiteral("Tallowmark Help"));
        m_pHelpWindow->setWindowIcon(ApplicationIcon());
        m_pHelpWindow->setOpenExternalLinks(true);
        m_pHelpWindow->resize(640, 560);
        // Closes like the program's other windows.
        auto* close = new QAction(m_pHelpWindow);
        close->setShortcuts({QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)});
        close->setShortcutContext(Qt::WindowShortcut);
        connect(close, &QAction::triggered, m_pHelpWindow, &QWidget::close);
        m_pHelpWindow->addAction(close);
    }
    m_pHelpWindow->setSource(QUrl::fromLocalFile(help));
    m_pHelpWindow->show();
    m_pHelpWindow->raise();
    m_pHelpWindow->activateWindow();
}

bool MainFrame::OnCommand(int id) {
    switch (id) {
        case cmd::ViewToolbar: m_pToolBar->setVisible(!m_pToolBar->isVisible()); return true;
        case cmd::ViewStatusBar: statusBar()->setVisible(!statusBar()->isVisible()); return true;
        case cmd::WindowNew:
            if (TallowmarkView* view = ActiveView()) CreateChildFrame(view->DocumentPointer());
            return true;
        case cmd::WindowCascade: CascadeFrames(); return true;
        case cmd::WindowTile: TileFrames(); return true;
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
    QTimer::singleShot(0, this, [paths] {
        for (const std::string& path : paths) TallowmarkApp::Instance()->OpenDocumentFile(path);
    });
}

}  // namespace tallowmark
