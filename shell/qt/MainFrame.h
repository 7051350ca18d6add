#pragma once
// The main window: menus, toolbar, status bar and the arrangement of the document windows
// in its workspace. Its actions run and update every command through the command route.

#include <QMainWindow>
#include <map>
#include <memory>
#include <vector>

#include "shell/CommandRoute.h"
#include "shell/qt/DocumentManager.h"
#include "shell/qt/FrameSettings.h"

class QAction;
class QLabel;
class QProgressBar;
class QMdiArea;
class QMenu;

namespace tallowmark {

class ChildFrame;
class HelpWindow;
class TallowmarkView;
struct MenuItemInfo;

class MainFrame : public QMainWindow, public CommandTarget {
    Q_OBJECT
public:
    // `application` is the last link of the route.
    MainFrame(const ShellServices& services, CommandTarget& application);
    ~MainFrame() override;

    DocumentManager& Documents() const { return *m_pDocuments; }
    ChildFrame* ActiveChild() const { return m_pDocuments->ActiveChild(); }
    TallowmarkView* ActiveView() const { return m_pDocuments->ActiveView(); }
    std::vector<ChildFrame*> Frames() const { return m_pDocuments->Frames(); }
    QMdiArea* MdiArea() const { return m_pMdiArea; }

    QAction* Action(int id) const;
    // Active view, the active document's commands, child frame, this frame, application.
    CommandRoute Route();
    // Runs `id` through the route; false when nothing handles it.
    bool RouteCommand(int id);
    void UpdateCommandUi();
    void RebuildMenus();
    void UpdateCaptions();
    QString IdlePrompt() const;
    // The active document window's record count, before the key-state panes.
    void UpdateCountPane();
    // The record list's context menu for the current entry: the cached-file items only
    // when it has a cached copy.
    std::unique_ptr<QMenu> CreateContextMenu();
    // Shows the window as it was when the program last ended: maximised or at its place.
    void ShowAsKept();
    // Keeps the window's place and state, and how it shows its documents, for the next run.
    void SaveSettings();
    bool IsTabbedView() const;

    bool OnCommand(int id) override;
    std::optional<CommandState> OnUpdateCommand(int id) override;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateActions();
    void CreateToolBar();
    void CreateStatusBar();
    QMenu* BuildMenu(const char* title, const std::vector<MenuItemInfo>& items);
    void OnFrameCreated(ChildFrame* frame);
    void OpenHelp();
    // At its kept place, or the first run's size, never past the screen it opens on.
    void PlaceOnScreen();
    void SetTabbedView(bool tabbed);

    QMdiArea* m_pMdiArea;
    std::unique_ptr<DocumentManager> m_pDocuments;
    CommandTarget& m_application;
    std::map<int, QAction*> m_actions;
    QToolBar* m_pToolBar = nullptr;
    QLabel* m_pIdleLabel = nullptr;
    QLabel* m_pCountLabel = nullptr;
    QProgressBar* m_pLoadBar = nullptr;  // shown while a long load goes on
    HelpWindow* m_pHelpWindow = nullptr;
    FrameSettings m_settings;
};

}  // namespace tallowmark
