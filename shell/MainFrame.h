#pragma once
// The main window: menus, toolbar, status bar and the area the document windows live in.
// It also routes every command: active view, its document, the child frame, this
// frame, then the application.

#include <QMainWindow>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "shell/CommandTarget.h"

class QAction;
class QLabel;
class QMdiArea;
class QMenu;
class QMdiSubWindow;
class QTextBrowser;
class QUrl;

namespace tallowmark {

class ChildFrame;
class TallowmarkDoc;
class TallowmarkView;

class MainFrame : public QMainWindow, public CommandTarget {
    Q_OBJECT
public:
    MainFrame();
    ~MainFrame() override;

    // `path` as the system spells it, which need not be valid UTF-8.
    TallowmarkDoc* OpenDocumentFile(const std::string& path);
    // The open document read from `path` (however the path is written), or null.
    TallowmarkDoc* FindOpenDocument(const std::string& path) const;
    ChildFrame* CreateChildFrame(const std::shared_ptr<TallowmarkDoc>& document);

    ChildFrame* ActiveChild() const;
    TallowmarkView* ActiveView() const;
    std::vector<ChildFrame*> Frames() const;
    std::vector<ChildFrame*> FramesOf(const TallowmarkDoc& document) const;
    // The files of every open document: what no file the program writes may be.
    std::vector<std::string> OpenDocumentPaths() const;
    QMdiArea* MdiArea() const { return m_pMdiArea; }

    QAction* Action(int id) const;
    // Runs `id` through the command route; false when nothing handles it.
    bool RouteCommand(int id);
    CommandState QueryCommand(int id);
    void UpdateCommandUi();
    void RebuildMenus();
    void UpdateCaptions();
    QString IdlePrompt() const;
    // The active document window's record count, before the key-state panes.
    void UpdateCountPane();
    // Hands `url` (a file or an address) to the desktop's default application, or `path`
    // to the plain-text editor. A launch that fails is silent; when the desktop has no
    // application for it at all, the status bar says so.
    void OpenWithDefaultApplication(const QUrl& url);
    void OpenInTextEditor(const QString& path);

    bool OnCommand(int id) override;
    std::optional<CommandState> OnUpdateCommand(int id) override;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateActions();
    void CreateToolBar();
    void CreateStatusBar();
    QMenu* BuildMenu(const char* title, const std::vector<struct MenuItemInfo>& items);
    void FillWindowList(QMenu* menu);
    void RefreshLockKeys();
    bool OnDocumentCommand(int id, TallowmarkDoc& document);
    void OnFileSaveAs(TallowmarkDoc& document);
    void OpenHelp();
    // The cascade: each window one caption step further, large enough to use the workspace.
    int CascadeStep() const;
    QSize Workspace() const;
    void PlaceFrame(QMdiSubWindow* frame, int index);
    void CascadeFrames();
    // Tile horizontally: the windows that are not minimised stacked from the top, the
    // active one first.
    void TileFrames();

    QMdiArea* m_pMdiArea;
    std::map<int, QAction*> m_actions;
    QToolBar* m_pToolBar = nullptr;
    QLabel* m_pIdleLabel = nullptr;
    QLabel* m_pCountLabel = nullptr;
    QLabel* m_pLockLabels[3] = {};
    QTextBrowser* m_pHelpWindow = nullptr;
};

}  // namespace tallowmark
