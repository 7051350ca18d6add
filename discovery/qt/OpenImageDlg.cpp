#include "discovery/qt/OpenImageDlg.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <mutex>
#include <optional>

#include "discovery/ImageFileList.h"
#include "widgets/MessageBoxes.h"
#include "widgets/ScreenPace.h"

namespace tallowmark {

// Hands the worker's reports to the dialog's thread without ever making the worker wait
// for it: found files and the end are queued, while progress only replaces the report
// before it, since the status line is repainted at the screen's pace anyway.
class OpenImageDlg::Reports : public ImageWalkSink {
public:
    explicit Reports(OpenImageDlg* dialog) : m_pDialog(dialog) {}

    void Found(const FoundIndexFile& file) override {
        QMetaObject::invokeMethod(
            m_pDialog, [dialog = m_pDialog, file]() mutable { dialog->OnFound(std::move(file)); }, Qt::QueuedConnection);
    }
    void Progress(const ImageWalkProgress& progress) override {
        const std::lock_guard lock(m_mutex);
        m_progress = progress;
    }
    void Done(const ImageWalkSummary& summary) {
        QMetaObject::invokeMethod(
            m_pDialog, [dialog = m_pDialog, summary] { dialog->OnDone(summary); }, Qt::QueuedConnection);
    }
    std::optional<ImageWalkProgress> TakeProgress() {
        const std::lock_guard lock(m_mutex);
        return std::exchange(m_progress, std::nullopt);
    }

private:
    OpenImageDlg* m_pDialog;
    std::mutex m_mutex;
    std::optional<ImageWalkProgress> m_progress;
};

namespace {
enum Column { kState, kUser, kRole, kPath, kSize, kModified, kColumnCount };
constexpr const char* kColumnTitles[kColumnCount] = {"State", "User", "Role", "Path", "Size", "Modified"};
constexpr const char* kStarting = "Reading the image...";
}  // namespace

OpenImageDlg::OpenImageDlg(MessagePrompts& prompts, std::shared_ptr<ImageFileSystems> image, QWidget* parent)
    : QDialog(parent), m_prompts(prompts), m_pImage(std::move(image)), m_pReports(std::make_unique<Reports>(this)) {
    setWindowTitle(QStringLiteral("Open Image - %1").arg(QString::fromStdString(m_pImage->Name())));
    CreateControls();
    connect(&m_statusTimer, &QTimer::timeout, this, &OpenImageDlg::ShowLatestProgress);
}

OpenImageDlg::~OpenImageDlg() { StopWalk(); }

void OpenImageDlg::CreateControls() {
    m_listFiles = new QTreeWidget(this);
    m_listFiles->setColumnCount(kColumnCount);
    QStringList titles;
    for (const char* title : kColumnTitles) titles << QString::fromLatin1(title);
    m_listFiles->setHeaderLabels(titles);
    m_listFiles->setRootIsDecorated(false);
    m_listFiles->setUniformRowHeights(true);
    m_listFiles->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // The path takes the room the others leave, and shows both its ends when it is cut.
    m_listFiles->header()->setStretchLastSection(false);
    for (const int column : {kState, kUser, kRole, kSize, kModified})
        m_listFiles->header()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    m_listFiles->header()->setSectionResizeMode(kPath, QHeaderView::Stretch);
    m_listFiles->setTextElideMode(Qt::ElideMiddle);
    m_editStatus = new QLineEdit(QString::fromLatin1(kStarting), this);
    m_editStatus->setReadOnly(true);
    m_editStatus->setFocusPolicy(Qt::ClickFocus);
    m_btnOpen = new QPushButton(QStringLiteral("Open"), this);
    m_btnOpen->setDefault(true);
    m_btnStop = new QPushButton(QStringLiteral("Stop"), this);
    m_btnCancel = new QPushButton(QStringLiteral("Cancel"), this);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_btnOpen);
    buttons->addWidget(m_btnStop);
    buttons->addWidget(m_btnCancel);
    buttons->addStretch();
    auto* top = new QHBoxLayout;
    auto* listSide = new QVBoxLayout;
    listSide->addWidget(new QLabel(QStringLiteral("Index files in the image:"), this));
    listSide->addWidget(m_listFiles);
    top->addLayout(listSide, 1);
    top->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(m_editStatus);

    connect(m_btnOpen, &QPushButton::clicked, this, &OpenImageDlg::accept);
    connect(m_btnStop, &QPushButton::clicked, this, [this] { m_bStop = true; });
    connect(m_btnCancel, &QPushButton::clicked, this, &OpenImageDlg::reject);
    connect(m_listFiles, &QTreeWidget::itemDoubleClicked, this, &OpenImageDlg::accept);
    resize(fontMetrics().averageCharWidth() * 150, fontMetrics().height() * 24);
}

void OpenImageDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_bWalkStarted) StartWalk();
}

void OpenImageDlg::StartWalk() {
    m_bWalkStarted = true;
    StartAtScreenPace(m_statusTimer, *this);
    m_bStop = false;
    m_workerThread = std::thread([this] {
        ImageWalkOptions options;
        options.stop = &m_bStop;
        const ImageWalkSummary summary = m_pImage->Walk(options, *m_pReports);
        m_pReports->Done(summary);
    });
}

void OpenImageDlg::StopWalk() {
    m_bStop = true;
    if (m_workerThread.joinable()) m_workerThread.join();
}

void OpenImageDlg::OnFound(FoundIndexFile file) {
    const ImageFileRow row = ImageFileRowOf(file);
    auto* item = new QTreeWidgetItem(QStringList{QString::fromStdString(row.state), QString::fromStdString(row.user),
                                                 QString::fromStdString(row.role), QString::fromStdString(row.path),
                                                 QString::fromStdString(row.size),
                                                 QString::fromStdString(row.modified)});
    item->setTextAlignment(kSize, Qt::AlignRight | Qt::AlignVCenter);
    item->setToolTip(kPath, QString::fromStdString(row.path));
    if (!file.Readable()) {
        // Listed, so that the examiner knows it was there, but there is nothing to open.
        item->setFlags(item->flags() & ~Qt::ItemIsSelectable);
        item->setForeground(kState, palette().brush(QPalette::Disabled, QPalette::Text));
        for (const int column : {kState, kUser, kRole, kSize, kModified})
            item->setToolTip(column, QString::fromStdString(NotReadText(file)));
    }
    m_listFiles->addTopLevelItem(item);
    m_found.push_back(std::move(file));
}

void OpenImageDlg::ShowLatestProgress() {
    if (const auto progress = m_pReports->TakeProgress())
        m_editStatus->setText(QString::fromStdString(ImageWalkProgressText(*progress, m_pImage->Partitions().size())));
}

void OpenImageDlg::OnDone(ImageWalkSummary summary) {
    m_statusTimer.stop();
    m_pReports->TakeProgress();
    m_btnStop->setEnabled(false);
    m_editStatus->setText(QString::fromStdString(ImageWalkEndText(summary, m_pImage->Skipped().size())));
    m_editStatus->setCursorPosition(0);
}

void OpenImageDlg::accept() {
    std::vector<int> rows;
    for (const QModelIndex& index : m_listFiles->selectionModel()->selectedRows()) rows.push_back(index.row());
    if (rows.empty()) {
        m_prompts.Message(this, MessageIcon::Critical, QString::fromLatin1(kNoImageFileSelectedMessage));
        return;
    }
    StopWalk();
    std::sort(rows.begin(), rows.end());
    m_selectedFiles.clear();
    for (const int row : rows) m_selectedFiles.push_back(m_found[static_cast<std::size_t>(row)]);
    QDialog::accept();
}

void OpenImageDlg::done(int result) {
    // However the dialog closes, the walk ends at its next look at the flag.
    m_bStop = true;
    m_statusTimer.stop();
    QDialog::done(result);
}

}  // namespace tallowmark
