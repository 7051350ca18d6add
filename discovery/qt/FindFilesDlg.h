#pragma once
// The "Find Files..." dialog: runs the index file search on a worker thread while it is
// open, lists what the search finds with each file's size and time, and lets the user
// pick the files to open. The search looks at every drive, or in a folder the user
// chooses, and Stop ends it with the dialog still open.

#include <QDialog>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "discovery/FoundFileList.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace tallowmark {

class FindFilesSink;
class MessagePrompts;

class FindFilesDlg : public QDialog {
    Q_OBJECT
public:
    // The search the worker runs, reporting to the sink; FindFilesThreadProc over a
    // set of roots, for example.
    using SearchProc = std::function<int(FindFilesSink*)>;

    // Runs `search` (the choice "All drives"), or a search of the whole machine when it
    // is empty, from the moment the dialog is first shown.
    explicit FindFilesDlg(MessagePrompts& prompts, QWidget* parent = nullptr, SearchProc search = {});
    // Stops the search and waits for the worker, which never waits for this thread.
    ~FindFilesDlg() override;

    // The paths picked, in list order; filled when OK closes the dialog.
    const std::vector<std::string>& GetSelectedFiles() const { return m_selectedFiles; }

    void accept() override;  // OK
    void done(int result) override;
    // Searches `folder` instead, afresh; an empty one searches all drives again.
    void SearchFolder(const QString& folder);
    // Ends the search; the dialog stays open with what it found.
    void OnStop();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    class Reports;

    void CreateControls();
    void StartSearch();
    void StopSearch();
    void OnBrowse();
    void OnFound(int search, std::string path, FoundFileFacts facts);
    void ShowLatestStatus();
    void ShowStatus(const std::string& text);
    void OnDone();

    MessagePrompts& m_prompts;
    QPushButton* m_btnCancel;
    QPushButton* m_btnOK;
    QPushButton* m_btnStop;
    QLineEdit* m_editStatus;
    QTreeWidget* m_listFiles;
    QLabel* m_labelFound;
    QLabel* m_labelLookIn;
    QComboBox* m_comboLookIn;
    QPushButton* m_btnBrowse;

    SearchProc m_allDrives;
    SearchProc m_search;
    int m_nSearch = 0;  // counts the searches started, so a stopped one's last finds are not listed
    FoundFileList m_found;
    std::vector<std::string> m_selectedFiles;
    std::unique_ptr<Reports> m_pReports;
    std::thread m_workerThread;
    QTimer m_statusTimer;  // shows the latest status at the screen's pace
    bool m_bMinimumSizeSet = false;
    bool m_bSearchStarted = false;
};

}  // namespace tallowmark
