#include "discovery/qt/FindFilesDlg.h"

#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QResizeEvent>
#include <algorithm>
#include <mutex>
#include <optional>

#include "discovery/IndexFileSearch.h"
#include "presentation/PathText.h"
#include "widgets/MessageBoxes.h"
#include "widgets/ScreenPace.h"

namespace tallowmark {

// Hands the worker's messages to the dialog's thread without ever making the worker wait
// for it: found files and the end are queued, while a status only replaces the one
// before it, since the status line is repainted at the screen's pace anyway.
class FindFilesDlg::Reports : public FindFilesSink {
public:
    explicit Reports(FindFilesDlg* dialog) : m_pDialog(dialog) {}

    void Send(FindFilesMessage message, std::string text) override {
        switch (message) {
            case WM_FINDFILES_FOUND:
                QMetaObject::invokeMethod(
                    m_pDialog,
                    [dialog = m_pDialog, path = std::move(text)]() mutable { dialog->OnFound(std::move(path)); },
                    Qt::QueuedConnection);
                break;
            case WM_FINDFILES_STATUS: {
                const std::lock_guard lock(m_mutex);
                m_strStatus = std::move(text);
                m_bStatusPending = true;
                break;
            }
            case WM_FINDFILES_DONE:
                QMetaObject::invokeMethod(
                    m_pDialog, [dialog = m_pDialog] { dialog->OnDone(); }, Qt::QueuedConnection);
                break;
        }
    }

    // The status sent since the last call, if any.
    std::optional<std::string> TakeStatus() {
        const std::lock_guard lock(m_mutex);
        if (!m_bStatusPending) return std::nullopt;
        m_bStatusPending = false;
        return std::move(m_strStatus);
    }

private:
    FindFilesDlg* m_pDialog;
    std::mutex m_mutex;
    std::string m_strStatus;
    bool m_bStatusPending = false;
};

namespace {
// Positions of the dialog's layout, in dialog units (a quarter of the font's average
// character width across, an eighth of its height down).
struct DialogUnits {
    int x, y, width, height;
};
constexpr DialogUnits kDialog{0, 0, 400, 185};
constexpr DialogUnits kOK{343, 7, 50, 14};
constexpr DialogUnits kCancel{343, 24, 50, 14};
constexpr DialogUnits kList{7, 19, 330, 141};
constexpr DialogUnits kLabel{7, 7, 98, 10};
constexpr DialogUnits kStatus{7, 166, 330, 12};

constexpr QSize kMinimumWindowSize{350, 200};
constexpr int kMargin = 10;  // between the controls and the right and bottom edges
}  // namespace

FindFilesDlg::FindFilesDlg(MessagePrompts& prompts, QWidget* parent, SearchProc search)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_prompts(prompts),
      m_search(std::move(search)),
      m_pReports(std::make_unique<Reports>(this)) {
    setWindowTitle(QStringLiteral("Find Files..."));
    CreateControls();
    connect(&m_statusTimer, &QTimer::timeout, this, &FindFilesDlg::ShowLatestStatus);
}

FindFilesDlg::~FindFilesDlg() { StopSearch(); }

void FindFilesDlg::CreateControls() {
    const QFontMetrics metrics(font());
    const QString alphabet = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int baseX = (metrics.horizontalAdvance(alphabet) / 26 + 1) / 2;
    const int baseY = metrics.height();
    const auto pixels = [&](const DialogUnits& units) {
        return QRect(units.x * baseX / 4, units.y * baseY / 8, units.width * baseX / 4, units.height * baseY / 8);
    };

    m_btnOK = new QPushButton(QStringLiteral("OK"), this);
    m_btnOK->setDefault(true);
    m_btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_listFiles = new QListWidget(this);
    m_listFiles->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_labelFound = new QLabel(QStringLiteral("index.dat files found:"), this);
    m_editStatus = new QLineEdit(this);
    m_editStatus->setReadOnly(true);
    m_editStatus->setFocusPolicy(Qt::ClickFocus);

    m_btnOK->setGeometry(pixels(kOK));
    m_btnCancel->setGeometry(pixels(kCancel));
    m_listFiles->setGeometry(pixels(kList));
    m_labelFound->setGeometry(pixels(kLabel));
    m_editStatus->setGeometry(pixels(kStatus));
    resize(pixels(kDialog).size());

    setTabOrder(m_btnOK, m_btnCancel);
    setTabOrder(m_btnCancel, m_listFiles);
    connect(m_btnOK, &QPushButton::clicked, this, &FindFilesDlg::accept);
    connect(m_btnCancel, &QPushButton::clicked, this, &FindFilesDlg::reject);
    m_btnOK->setFocus();
}

void FindFilesDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_bMinimumSizeSet) {
        // The smallest size counts the window's frame as well.
        m_bMinimumSizeSet = true;
        setMinimumSize(kMinimumWindowSize - (frameGeometry().size() - geometry().size()));
    }
    if (!m_bSearchStarted) StartSearch();
}

void FindFilesDlg::StartSearch() {
    m_bSearchStarted = true;
    StartAtScreenPace(m_statusTimer, *this);
    g_bStopSearch = false;
    if (!m_search)
        m_search = [](FindFilesSink* sink) { return FindFilesThreadProc(sink, platform::MachineSearchRoots()); };
    m_workerThread = std::thread(m_search, m_pReports.get());
}

void FindFilesDlg::StopSearch() {
    g_bStopSearch = true;
    if (m_workerThread.joinable()) m_workerThread.join();
}

void FindFilesDlg::OnFound(std::string path) {
    // The list shows the name; the bytes found are what OK hands on.
    const QString shown = QString::fromStdString(PathDisplayText(path));
    m_listFiles->insertItem(static_cast<int>(m_found.Insert(std::move(path))), shown);
}

void FindFilesDlg::ShowLatestStatus() {
    if (std::optional<std::string> status = m_pReports->TakeStatus()) ShowStatus(*status);
}

void FindFilesDlg::ShowStatus(const std::string& text) {
    m_editStatus->setText(QString::fromStdString(PathDisplayText(text)));
    m_editStatus->setCursorPosition(0);  // a long path shows from its start
}

void FindFilesDlg::OnDone() {
    m_statusTimer.stop();
    m_pReports->TakeStatus();
    ShowStatus(FilesFoundText(m_found.Count()));
}

void FindFilesDlg::accept() {
    const QModelIndexList selected = m_listFiles->selectionModel()->selectedRows();
    if (selected.isEmpty()) {
        m_prompts.Message(this, MessageIcon::Critical, QString::fromLatin1(kNothingSelectedMessage));
        return;
    }
    StopSearch();
    std::vector<int> rows;
    for (const QModelIndex& index : selected) rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    m_selectedFiles.clear();
    for (int row : rows) m_selectedFiles.push_back(m_found.At(static_cast<std::size_t>(row)));
    QDialog::accept();
}

void FindFilesDlg::done(int result) {
    // However the dialog closes, the search ends at its next look at the flag.
    g_bStopSearch = true;
    m_statusTimer.stop();
    QDialog::done(result);
}

void FindFilesDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (isMinimized()) return;
    const int cx = event->size().width(), cy = event->size().height();
    const QRect list = m_listFiles->geometry(), status = m_editStatus->geometry(), ok = m_btnOK->geometry();
    const int w = ok.width(), h = ok.height();
    m_btnOK->setGeometry(cx - w - kMargin, ok.top(), w, h);
    m_btnCancel->setGeometry(cx - w - kMargin, m_btnCancel->geometry().top(), w, h);
    m_listFiles->setGeometry(list.left(), list.top(), cx - w - 3 * kMargin,
                             cy - list.top() - status.height() - 2 * kMargin);
    m_editStatus->setGeometry(list.left(), cy - status.height() - kMargin, m_listFiles->width(), status.height());
}

}  // namespace tallowmark
