#include "discovery/qt/FindFilesDlg.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
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
// for it: found files (with their size and time, asked on the worker's thread) and the
// end are queued, while a status only replaces the one before it, since the status line
// is repainted at the screen's pace anyway.
class FindFilesDlg::Reports : public FindFilesSink {
public:
    explicit Reports(FindFilesDlg* dialog) : m_pDialog(dialog) {}

    // The search the next messages belong to; set before its worker starts.
    void SetSearch(int search) { m_nSearch = search; }

    void Send(FindFilesMessage message, std::string text) override {
        switch (message) {
            case WM_FINDFILES_FOUND: {
                FoundFileFacts facts = FactsOfFoundFile(text);
                QMetaObject::invokeMethod(
                    m_pDialog,
                    [dialog = m_pDialog, search = m_nSearch, path = std::move(text), facts = std::move(facts)]() mutable {
                        dialog->OnFound(search, std::move(path), std::move(facts));
                    },
                    Qt::QueuedConnection);
                break;
            }
            case WM_FINDFILES_STATUS: {
                const std::lock_guard lock(m_mutex);
                m_strStatus = std::move(text);
                m_bStatusPending = true;
                break;
            }
            case WM_FINDFILES_DONE:
                QMetaObject::invokeMethod(
                    m_pDialog,
                    [dialog = m_pDialog, search = m_nSearch] {
                        if (search == dialog->m_nSearch) dialog->OnDone();
                    },
                    Qt::QueuedConnection);
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
    int m_nSearch = 0;
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
constexpr DialogUnits kStop{343, 41, 50, 14};
constexpr DialogUnits kLookInLabel{7, 10, 30, 8};
constexpr DialogUnits kLookIn{38, 7, 245, 14};
constexpr DialogUnits kBrowse{287, 7, 50, 14};
constexpr DialogUnits kLabel{7, 26, 98, 10};
constexpr DialogUnits kList{7, 38, 330, 122};
constexpr DialogUnits kStatus{7, 166, 330, 12};

constexpr QSize kMinimumWindowSize{350, 200};
constexpr int kMargin = 10;  // between the controls and the right and bottom edges
constexpr int kGap = 4;      // between the folder's field and its Browse button
enum FileColumn { kPathColumn, kSizeColumn, kModifiedColumn };
}  // namespace

FindFilesDlg::FindFilesDlg(MessagePrompts& prompts, QWidget* parent, SearchProc search)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_prompts(prompts),
      m_allDrives(std::move(search)),
      m_pReports(std::make_unique<Reports>(this)) {
    setWindowTitle(QStringLiteral("Find Files..."));
    if (!m_allDrives)
        m_allDrives = [](FindFilesSink* sink) { return FindFilesThreadProc(sink, platform::MachineSearchRoots()); };
    m_search = m_allDrives;
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
    m_btnStop = new QPushButton(QStringLiteral("&Stop"), this);
    m_btnStop->setEnabled(false);
    m_labelLookIn = new QLabel(QStringLiteral("Look &in:"), this);
    m_comboLookIn = new QComboBox(this);
    m_comboLookIn->addItem(QStringLiteral("All drives"));
    m_labelLookIn->setBuddy(m_comboLookIn);
    m_btnBrowse = new QPushButton(QStringLiteral("&Browse..."), this);
    m_listFiles = new QTreeWidget(this);
    m_listFiles->setColumnCount(3);
    m_listFiles->setHeaderLabels({QStringLiteral("File"), QStringLiteral("Size"), QStringLiteral("Modified")});
    m_listFiles->headerItem()->setTextAlignment(kSizeColumn, Qt::AlignRight | Qt::AlignVCenter);
    m_listFiles->setRootIsDecorated(false);
    m_listFiles->setUniformRowHeights(true);
    m_listFiles->setAllColumnsShowFocus(true);
    m_listFiles->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_listFiles->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_listFiles->header()->setStretchLastSection(false);
    m_labelFound = new QLabel(QStringLiteral("index.dat files found:"), this);
    m_editStatus = new QLineEdit(this);
    m_editStatus->setReadOnly(true);
    m_editStatus->setFocusPolicy(Qt::ClickFocus);

    m_btnOK->setGeometry(pixels(kOK));
    m_btnCancel->setGeometry(pixels(kCancel));
    m_btnStop->setGeometry(pixels(kStop));
    m_labelLookIn->setGeometry(pixels(kLookInLabel));
    m_comboLookIn->setGeometry(pixels(kLookIn));
    m_btnBrowse->setGeometry(pixels(kBrowse));
    m_listFiles->setGeometry(pixels(kList));
    m_labelFound->setGeometry(pixels(kLabel));
    m_editStatus->setGeometry(pixels(kStatus));
    resize(pixels(kDialog).size());
    // The size and the time take what they need; the path the rest.
    const int sizeWidth = metrics.horizontalAdvance(QStringLiteral("000,000,000")) + 12;
    const int timeWidth = metrics.horizontalAdvance(QStringLiteral("00 May 0000, 00:00")) + 12;
    m_listFiles->setColumnWidth(kSizeColumn, sizeWidth);
    m_listFiles->setColumnWidth(kModifiedColumn, timeWidth);
    m_listFiles->setColumnWidth(kPathColumn, std::max(100, pixels(kList).width() - sizeWidth - timeWidth - 24));

    setTabOrder(m_btnOK, m_btnCancel);
    setTabOrder(m_btnCancel, m_btnStop);
    setTabOrder(m_btnStop, m_comboLookIn);
    setTabOrder(m_comboLookIn, m_btnBrowse);
    setTabOrder(m_btnBrowse, m_listFiles);
    connect(m_btnOK, &QPushButton::clicked, this, &FindFilesDlg::accept);
    connect(m_btnCancel, &QPushButton::clicked, this, &FindFilesDlg::reject);
    connect(m_btnStop, &QPushButton::clicked, this, &FindFilesDlg::OnStop);
    connect(m_btnBrowse, &QPushButton::clicked, this, &FindFilesDlg::OnBrowse);
    connect(m_comboLookIn, &QComboBox::activated, this, [this](int index) {
        SearchFolder(index == 0 ? QString() : m_comboLookIn->itemData(index).toString());
    });
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
    m_pReports->SetSearch(++m_nSearch);
    m_btnStop->setEnabled(true);
    m_workerThread = std::thread(m_search, m_pReports.get());
}

void FindFilesDlg::StopSearch() {
    g_bStopSearch = true;
    if (m_workerThread.joinable()) m_workerThread.join();
}

void FindFilesDlg::OnStop() {
    if (!m_btnStop->isEnabled()) return;
    StopSearch();
    m_statusTimer.stop();
    m_pReports->TakeStatus();
    m_btnStop->setEnabled(false);
    ShowStatus(SearchStoppedText(m_found.Count()));
}

void FindFilesDlg::SearchFolder(const QString& folder) {
    StopSearch();
    m_found.Clear();
    m_listFiles->clear();
    if (folder.isEmpty()) {
        m_search = m_allDrives;
        m_comboLookIn->setCurrentIndex(0);
    } else {
        const std::string root = QFile::encodeName(QDir::toNativeSeparators(folder)).toStdString();
        m_search = [root](FindFilesSink* sink) {
            return FindFilesThreadProc(sink, FolderSearchRoots(root, platform::MachineSearchRoots()));
        };
        int index = m_comboLookIn->findData(folder);
        if (index < 0) {
            m_comboLookIn->addItem(QDir::toNativeSeparators(folder), folder);
            index = m_comboLookIn->count() - 1;
        }
        m_comboLookIn->setCurrentIndex(index);
    }
    StartSearch();
}

void FindFilesDlg::OnBrowse() {
    const QString start = m_comboLookIn->currentIndex() > 0 ? m_comboLookIn->currentData().toString() : QString();
    const QString folder = m_prompts.AskFolder(this, start);
    if (!folder.isEmpty()) SearchFolder(folder);
}

void FindFilesDlg::OnFound(int search, std::string path, FoundFileFacts facts) {
    if (search != m_nSearch) return;  // from a search stopped since
    // The list shows the name; the bytes found are what OK hands on.
    auto* item = new QTreeWidgetItem(
        {QString::fromStdString(PathDisplayText(path)), QString::fromStdString(facts.size),
         QString::fromStdString(facts.modified)});
    item->setTextAlignment(kSizeColumn, Qt::AlignRight | Qt::AlignVCenter);
    m_listFiles->insertTopLevelItem(static_cast<int>(m_found.Insert(std::move(path))), item);
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
    m_btnStop->setEnabled(false);
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
    m_btnStop->setGeometry(cx - w - kMargin, m_btnStop->geometry().top(), w, h);
    m_listFiles->setGeometry(list.left(), list.top(), cx - w - 3 * kMargin,
                             cy - list.top() - status.height() - 2 * kMargin);
    m_editStatus->setGeometry(list.left(), cy - status.height() - kMargin, m_listFiles->width(), status.height());
    // The folder's field and its button end where the list ends.
    const QRect browse = m_btnBrowse->geometry(), lookIn = m_comboLookIn->geometry();
    const int listRight = list.left() + m_listFiles->width();
    m_btnBrowse->setGeometry(listRight - browse.width(), browse.top(), browse.width(), browse.height());
    m_comboLookIn->setGeometry(lookIn.left(), lookIn.top(),
                               std::max(40, listRight - browse.width() - kGap - lookIn.left()), lookIn.height());
}

}  // namespace tallowmark
