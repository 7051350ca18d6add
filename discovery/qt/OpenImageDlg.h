#pragma once
// The "Open Image" dialog: walks the file systems of a disk image on a worker thread while
// it is open, lists the index files it finds (state, user, role, path, size, modified),
// and lets the user pick the ones to open. Stop ends the walk; what it found stays.

#include <QDialog>
#include <QTimer>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "discovery/ImageFileSystems.h"

class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace tallowmark {

class MessagePrompts;

class OpenImageDlg : public QDialog {
    Q_OBJECT
public:
    OpenImageDlg(MessagePrompts& prompts, std::shared_ptr<ImageFileSystems> image, QWidget* parent = nullptr);
    // Stops the walk and waits for the worker, which never waits for this thread.
    ~OpenImageDlg() override;

    // The files picked, in list order; filled when Open closes the dialog.
    const std::vector<FoundIndexFile>& GetSelectedFiles() const { return m_selectedFiles; }

    void accept() override;  // Open
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    class Reports;

    void CreateControls();
    void StartWalk();
    void StopWalk();
    void OnFound(FoundIndexFile file);
    void ShowLatestProgress();
    void OnDone(ImageWalkSummary summary);

    MessagePrompts& m_prompts;
    std::shared_ptr<ImageFileSystems> m_pImage;
    QTreeWidget* m_listFiles;
    QLineEdit* m_editStatus;
    QPushButton* m_btnOpen;
    QPushButton* m_btnStop;
    QPushButton* m_btnCancel;

    std::vector<FoundIndexFile> m_found;  // in the list's order
    std::vector<FoundIndexFile> m_selectedFiles;
    std::unique_ptr<Reports> m_pReports;
    std::atomic<bool> m_bStop{false};
    std::thread m_workerThread;
    QTimer m_statusTimer;  // shows the latest progress at the screen's pace
    bool m_bWalkStarted = false;
};

}  // namespace tallowmark
