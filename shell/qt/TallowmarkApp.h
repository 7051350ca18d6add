#pragma once
// The application object: settings, viewing defaults, recent files, the main window and
// the commands that need no document.

#include <QApplication>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "shell/CommandTarget.h"
#include "shell/RecentFileList.h"
#include "shell/qt/ViewingDefaults.h"

namespace tallowmark {

class AboutDlg;
class MainFrame;
class OpenChannel;
class TallowmarkDoc;
class UserPrompts;

class TallowmarkApp : public QApplication, public CommandTarget {
    Q_OBJECT
public:
    TallowmarkApp(int& argc, char** argv);
    ~TallowmarkApp() override;

    // Reads the settings, hands "/dde" files to a running instance (false: nothing more
    // to do) or takes them itself, creates the main window and registers the document
    // type with the desktop. A file named without "/dde" is not opened.
    bool InitInstance();
    // Writes the recent-file list back and closes the main window.
    void ExitInstance();

    bool GetDefaultViewBadfoodRecords() const { return m_defaults.GetDefaultViewBadfoodRecords(); }
    bool GetDefaultViewBlankRecords() const { return m_defaults.GetDefaultViewBlankRecords(); }
    void SetDefaultViewBadfoodRecords(bool value) { m_defaults.SetDefaultViewBadfoodRecords(value); }
    void SetDefaultViewBlankRecords(bool value) { m_defaults.SetDefaultViewBlankRecords(value); }
    // 2 on every Windows that Qt 6 runs on (the NT family), so Delete on Restart always goes
    // through PendingFileRenameOperations; the WININIT.INI way of Windows 95/98/Me is not built.
    std::uint32_t GetPlatformId() const { return m_dwPlatformId; }

    MainFrame* GetMainFrame() const { return m_pMainFrame.get(); }
    RecentFileList& RecentFiles() { return m_recentFiles; }
    UserPrompts& Prompts() { return *m_pPrompts; }
    // Before InitInstance: the main window and every window in it keep the prompts they are given.
    void SetPrompts(std::unique_ptr<UserPrompts> prompts);

    // Where start-up looks and writes; tests point them at scratch places. An empty
    // registration root registers nothing.
    void SetCommandLine(const QStringList& arguments);
    void SetOpenChannelName(const QString& name) { m_strOpenChannelName = name; }
    void SetRegistrationRoot(const std::string& root) { m_strRegistrationRoot = root; }
    void SetBootDeletionRoot(const std::string& root) { m_strBootDeletionRoot = root; }
    const std::string& BootDeletionRoot() const { return m_strBootDeletionRoot; }

    // Reuses an open document or loads one in a new window; null on failure, after the
    // document's message. Its title is the bare file name. `path` as the system spells
    // it, which need not be valid UTF-8; a QString path is one Qt has decoded already.
    TallowmarkDoc* OpenDocumentFile(const std::string& path);
    TallowmarkDoc* OpenDocumentFile(const QString& path) { return OpenDocumentFile(path.toStdString()); }
    void OnFileOpen();
    // Files the desktop asked to open: opened like dropped files, and the window shown.
    void OnShellOpen(const std::vector<std::string>& paths);
    void OnFindFiles();
    void OnOpenImage();
    // The About box, over the main window.
    std::unique_ptr<AboutDlg> MakeAboutBox();

    bool OnCommand(int id) override;
    std::optional<CommandState> OnUpdateCommand(int id) override;

    // An exception thrown while an event is handled ends that command only, with a
    // message; the program and its windows go on.
    bool notify(QObject* receiver, QEvent* event) override;

private:
    // The files to open, the dialog starting where the last one under `folderKey` was found.
    QStringList AskOpenPathsFrom(const char* filter, const char* folderKey);
    // Opens each of `paths` in turn; those that fail are told of in one message at the end.
    void OpenHandedFiles(const std::vector<std::string>& paths);
    void OpenRecentFile(std::size_t index);
    void LoadRecentFiles();
    void SaveRecentFiles() const;
    void RegisterShellFileTypes() const;

    ViewingDefaults m_defaults;
    std::uint32_t m_dwPlatformId;
    RecentFileList m_recentFiles{9, 30};
    std::unique_ptr<UserPrompts> m_pPrompts;
    std::unique_ptr<MainFrame> m_pMainFrame;
    std::vector<std::string> m_commandLine;  // after the program's name, the bytes as given
    QString m_strOpenChannelName;
    std::string m_strRegistrationRoot;
    std::string m_strBootDeletionRoot;
    std::unique_ptr<OpenChannel> m_pOpenChannel;
};

}  // namespace tallowmark
