#include "presentation/TallowmarkView.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QUrl>
#include <unordered_set>

#include "platform/NativePath.h"
#include "actions/CachedFile.h"
#include "actions/DeleteOnRestart.h"
#include "actions/FilePropertiesGeneral.h"
#include "presentation/AnsiText.h"
#include "presentation/CsvExport.h"
#include "presentation/EntryDetails.h"
#include "presentation/ListText.h"
#include "presentation/RecordCells.h"
#include "presentation/RecordSort.h"
#include "presentation/RecordTableModel.h"
#include "shell/CommandIds.h"
#include "shell/CommandTable.h"
#include "shell/MainFrame.h"
#include "shell/TallowmarkApp.h"
#include "shell/UserPrompts.h"

namespace tallowmark {

namespace {
constexpr const char* kNoRecordsMessage =
    "No records were found in this index.dat file. In other words, no personal information has been written to "
    "this index.dat file.\r\n\r\n%1";
constexpr const char* kExportFilter = "CSV Files (*.csv);;Text Files (*.txt);;All Files (*)";

// Message boxes show "\r\n" line breaks as "\n".
QString ForDisplay(const std::string& text) {
    return QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}
}  // namespace

TallowmarkView::TallowmarkView(std::shared_ptr<TallowmarkDoc> document, QWidget* parent)
    : QTreeView(parent),
      m_bViewBlankRecords(TallowmarkApp::Instance()->GetDefaultViewBlankRecords()),
      m_bViewBadfoodRecords(TallowmarkApp::Instance()->GetDefaultViewBadfoodRecords()),
      m_pDocument(std::move(document)),
      m_pModel(new RecordTableModel(m_pDocument->IsVersion4(), this)) {
    setModel(m_pModel);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    header()->setSectionsMovable(true);
    header()->setSectionsClickable(true);
    header()->setStretchLastSection(false);
    header()->setSortIndicatorShown(false);
    connect(header(), &QHeaderView::sectionClicked, this, &TallowmarkView::OnColumnClick);
    connect(header(), &QHeaderView::sectionResized, this, [this](int column) {
        if (!m_bSizingColumns) m_userSizedColumns.insert(column);
    });
    connect(this, &QAbstractItemView::doubleClicked, this, [this] { ShowEntryDetails(); });
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this, &TallowmarkView::CurrentEntryChanged);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &TallowmarkView::CurrentEntryChanged);
}

void TallowmarkView::OnInitialUpdate() {
    // The classic widths, widened where this desktop's font would cut a title or a date.
    const int dateWidth = fontMetrics().horizontalAdvance(QStringLiteral("00 May 0000, 00:00")) + 14;
    for (int column = 0; column < m_pModel->columnCount(); ++column) {
        const ColumnInfo& info = kRecordColumns[static_cast<std::size_t>(column)];
        int width =
            std::max(info.width, header()->fontMetrics().horizontalAdvance(QString::fromLatin1(info.title)) + 14);
        if (column == kColumnModified || column == kColumnAccessed) width = std::max(width, dateWidth);
        SizeColumn(column, width);
    }
    if (m_pDocument->RecordCount() == 0)
        TallowmarkApp::Instance()->Prompts().Message(
            window(), UserPrompts::Icon::Warning,
            ForDisplay(FormatMessage(kNoRecordsMessage, m_pDocument->PathName())));
    FillList();
}

void TallowmarkView::FillList() {
    RowList rows;
    rows.reserve(m_pDocument->RecordCount());
    for (const auto& record : m_pDocument->Records())
        if (ViewOptions{m_bViewBlankRecords, m_bViewBadfoodRecords}.Shows(*record)) rows.push_back(record.get());
    m_orderedRows = std::move(rows);
    m_pModel->SetRows(FilterRows(m_orderedRows, m_filter, m_pDocument->IsVersion4()));
    header()->setSortIndicatorShown(false);  // the rows are in file order again
    FitColumns();
    emit CurrentEntryChanged();
    emit RowsChanged();
}

void TallowmarkView::SizeColumn(int column, int width) {
    m_bSizingColumns = true;
    header()->resizeSection(column, width);
    m_bSizingColumns = false;
}

std::vector<int> TallowmarkView::WidestTextWidths() const {
    // Record numbers and sizes of large files, and most cache names in this desktop's
    // font, are wider than the classic widths.
    constexpr int kMargin = 16;
    constexpr std::size_t kCandidates = 32;
    std::vector<int> widths(kRecordColumns.size(), 0);
    for (int column : {kColumnNumber, kColumnSize}) {
        const QString widest = QString::fromStdString(WidestNumberText(m_pDocument->Records(), column));
        widths[column] = fontMetrics().horizontalAdvance(widest) + kMargin;
    }
    const CacheNameTexts names = CacheNameCandidates(m_pDocument->Records(), m_pDocument->IsVersion4(), kCandidates);
    auto widest = [this](const std::vector<std::string>& texts) {
        int most = 0;
        for (const std::string& text : texts)
            most = std::max(most, fontMetrics().horizontalAdvance(QString::fromStdString(AnsiToUtf8(text))));
        return most == 0 ? 0 : most + kMargin;
    };
    widths[kColumnCacheDir] = widest(names.cacheDirs);
    widths[kColumnFileName] = widest(names.fileNames);
    if (screen())
        widths[kColumnFileName] = std::min(widths[kColumnFileName], screen()->availableGeometry().width() / 3);
    return widths;
}

void TallowmarkView::FitColumns() {
    // The document never changes, so its texts are measured once.
    if (m_widestTextWidths.empty()) m_widestTextWidths = WidestTextWidths();
    for (int column = 0; column < m_pModel->columnCount(); ++column) {
        const int needed = m_widestTextWidths[static_cast<std::size_t>(column)];
        if (!m_userSizedColumns.count(column) && header()->sectionSize(column) < needed) SizeColumn(column, needed);
    }
}

void TallowmarkView::OnColumnClick(int column) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // The whole list is sorted, so that a wider filter later brings rows back in order.
    m_pModel->Reorder([this, column](RowList& rows) {
        tallowmark::OnColumnClick(m_orderedRows, column);
        rows = FilterRows(m_orderedRows, m_filter, m_pDocument->IsVersion4());
    });
    QApplication::restoreOverrideCursor();
    // After an ascending sort the shared toggle names this column; after a descending one it is -1.
    header()->setSortIndicator(column, g_lastSortColumn == column ? Qt::AscendingOrder : Qt::DescendingOrder);
    header()->setSortIndicatorShown(true);
}

void TallowmarkView::SetFilterText(const QString& text) {
    std::string fieldText = text.toStdString();
    if (fieldText == m_strFilterText) return;
    RecordFilter next(fieldText);
    // Typing on narrows the list: only the rows shown now can still match.
    const RowList& candidates = next.Narrows(m_filter) ? m_pModel->Rows() : m_orderedRows;
    RowList rows = FilterRows(candidates, next, m_pDocument->IsVersion4());
    m_strFilterText = std::move(fieldText);
    m_filter = std::move(next);
    ShowRows(std::move(rows));
}

void TallowmarkView::ShowRows(RowList rows) {
    const RowList selected = RecordsAt(SelectedRows());
    const std::unordered_set<const IndexRecord*> kept(selected.begin(), selected.end());
    const IndexRecord* current = m_pModel->RecordAt(currentIndex().row());

    m_pModel->SetRows(std::move(rows));
    // Consecutive kept rows become one range, so a large selection costs little.
    QItemSelection selection;
    const RowList& shown = m_pModel->Rows();
    const int lastColumn = m_pModel->columnCount() - 1;
    int currentRow = -1;
    const bool follow = current || !kept.empty();
    for (std::size_t i = 0; follow && i < shown.size(); ++i) {
        if (shown[i] == current) currentRow = static_cast<int>(i);
        if (!kept.count(shown[i])) continue;
        std::size_t end = i;
        while (end + 1 < shown.size() && kept.count(shown[end + 1])) {
            if (shown[++end] == current) currentRow = static_cast<int>(end);
        }
        selection.select(m_pModel->index(static_cast<int>(i), 0), m_pModel->index(static_cast<int>(end), lastColumn));
        i = end;
    }
    if (currentRow >= 0) {
        selectionModel()->setCurrentIndex(m_pModel->index(currentRow, 0), QItemSelectionModel::NoUpdate);
        scrollTo(currentIndex());
    }
    if (!selection.isEmpty()) selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    emit CurrentEntryChanged();
    emit RowsChanged();
}

QString TallowmarkView::CountText() const {
    return QString::fromStdString(RecordCountText(m_pModel->Rows().size(), m_pDocument->RecordCount()));
}

std::vector<int> TallowmarkView::SelectedRows() const {
    // Read from the ranges: asking row by row whether it is selected is slow for large selections.
    std::vector<int> rows;
    for (const QItemSelectionRange& range : selectionModel()->selection())
        for (int row = range.top(); row <= range.bottom(); ++row) rows.push_back(row);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

RowList TallowmarkView::RecordsAt(const std::vector<int>& rows) const {
    RowList records;
    records.reserve(rows.size());
    for (int row : rows) records.push_back(m_pModel->RecordAt(row));
    return records;
}

void TallowmarkView::CopySelection() {
    const RowList records = RecordsAt(SelectedRows());
    if (records.empty()) return;
    // Columns in the order the header shows them.
    std::vector<int> columns;
    for (int visual = 0; visual < header()->count(); ++visual) {
        const int column = header()->logicalIndex(visual);
        if (!header()->isSectionHidden(column)) columns.push_back(column);
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);  // a select-all of a large file takes a moment
    const std::string text = RowsAsTabSeparated(records, columns, m_pDocument->IsVersion4());
    QGuiApplication::clipboard()->setText(QString::fromStdString(AnsiToUtf8(text)));
    QApplication::restoreOverrideCursor();
}

TimelineDays TallowmarkView::TimelineData(TimeBasis basis) const {
    if (!m_filter.Period()) return GatherTimelineDays(m_pModel->Rows(), basis);
    const RecordFilter textOnly(WithPeriodTerm(m_strFilterText, std::nullopt));
    return GatherTimelineDays(FilterRows(m_orderedRows, textOnly, m_pDocument->IsVersion4()), basis);
}

int TallowmarkView::SelectionMark() const {
    // The focus alone gives the list a current row; the mark is a row the user selected.
    const QModelIndex current = currentIndex();
    if (!current.isValid() || !selectionModel()->isSelected(current)) return -1;
    return current.row();
}

const IndexRecord* TallowmarkView::CurrentRecord() const { return m_pModel->RecordAt(SelectionMark()); }

void TallowmarkView::ShowEntryDetails() {
    const IndexRecord* record = CurrentRecord();
    if (!record) return;
    const std::string text = EntryDetailsText(*record, m_pDocument->PathName());
    TallowmarkApp::Instance()->Prompts().Details(window(), ForDisplay(text));
}

void TallowmarkView::OnExport() {
    UserPrompts& prompts = TallowmarkApp::Instance()->Prompts();
    const QFileInfo document(QString::fromStdString(m_pDocument->PathName()));
    const QString path = prompts.AskSavePath(window(), QString::fromLatin1(kExportFilter), QStringLiteral("csv"),
                                             document.absolutePath(), document.completeBaseName() + ".csv");
    if (path.isEmpty()) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // Export writes what the list shows; with no filter, exactly the classic export.
    const std::string target = NativeSeparators(QFileInfo(path).absoluteFilePath().toStdString());
    // Never onto the file of an open document, by a name or a link.
    const MainFrame* frame = TallowmarkApp::Instance()->GetMainFrame();
    const std::vector<std::string> openFiles = frame ? frame->OpenDocumentPaths() : std::vector<std::string>{};
    const Outcome written =
        ExportCsv(target, *m_pDocument, {m_bViewBlankRecords, m_bViewBadfoodRecords}, m_filter, openFiles);
    QApplication::restoreOverrideCursor();
    if (!written) prompts.Message(window(), UserPrompts::Icon::Critical, QString::fromStdString(written.message));
}

void TallowmarkView::SaveSettingsAsDefaults() {
    TallowmarkApp* app = TallowmarkApp::Instance();
    app->SetDefaultViewBadfoodRecords(m_bViewBadfoodRecords);
    app->SetDefaultViewBlankRecords(m_bViewBlankRecords);
}

void TallowmarkView::OnDeleteOnRestart() {
    TallowmarkApp* app = TallowmarkApp::Instance();
    const Outcome scheduled = ScheduleDeleteOnRestart(m_pDocument->PathName(), app->BootDeletionRoot());
    if (!scheduled)
        app->Prompts().Message(window(), UserPrompts::Icon::Critical, QString::fromStdString(scheduled.message));
}

CommandState TallowmarkView::OnUpdateDeleteOnRestart() const {
    const bool scheduled =
        IsScheduledForDeleteOnRestart(m_pDocument->PathName(), TallowmarkApp::Instance()->BootDeletionRoot());
    return CommandState{!scheduled, scheduled};
}

void TallowmarkView::OnFileProperties() {
    FilePropertiesSheet sheet(PropertiesOf(*m_pDocument), window());
    TallowmarkApp::Instance()->Prompts().RunModal(sheet);
}

std::string TallowmarkView::GetCachedFilePath() const {
    const IndexRecord* record = CurrentRecord();
    return record ? CachedFilePath(*record, m_pDocument->PathName()) : std::string();
}

void TallowmarkView::OnOpenCachedFile() {
    const std::string path = GetCachedFilePath();
    if (path.empty()) return;
    if (MainFrame* frame = TallowmarkApp::Instance()->GetMainFrame())
        frame->OpenWithDefaultApplication(QUrl::fromLocalFile(QString::fromStdString(path)));
}

void TallowmarkView::OnOpenCachedFileInNotepad() {
    const std::string path = GetCachedFilePath();
    if (path.empty()) return;
    if (MainFrame* frame = TallowmarkApp::Instance()->GetMainFrame())
        frame->OpenInTextEditor(QString::fromStdString(path));
}

std::unique_ptr<QMenu> TallowmarkView::CreateContextMenu() {
    auto menu = std::make_unique<QMenu>(this);
    const bool hasCachedFile = !GetCachedFilePath().empty();
    for (const MenuItemInfo& item : RecordContextMenu()) {
        if (item.id == 0) {
            menu->addSeparator();
            continue;
        }
        if (!hasCachedFile && (item.id == cmd::CachedFileDefault || item.id == cmd::CachedFileNotepad)) continue;
        QAction* action = menu->addAction(QString::fromLatin1(item.text));
        action->setData(item.id);
        if (const CommandInfo* command = FindCommand(item.id))
            action->setStatusTip(QString::fromLatin1(CommandPrompt(*command).c_str()));
        if (item.id == cmd::EntryDetails) menu->setDefaultAction(action);  // shown in bold
    }
    return menu;
}

void TallowmarkView::OnListRightClick(const QPoint& position) {
    const std::unique_ptr<QMenu> menu = CreateContextMenu();
    if (QAction* chosen = menu->exec(position)) emit ContextCommand(chosen->data().toInt());
}

void TallowmarkView::contextMenuEvent(QContextMenuEvent* event) {
    OnListRightClick(event->globalPos());
    event->accept();
}

QItemSelectionModel::SelectionFlags TallowmarkView::selectionCommand(const QModelIndex& index,
                                                                     const QEvent* event) const {
    // The context menu acts on the current entry, so a right-click outside the rows must
    // not clear it on its release.
    if (!index.isValid() && event && event->type() == QEvent::MouseButtonRelease &&
        static_cast<const QMouseEvent*>(event)->button() == Qt::RightButton)
        return QItemSelectionModel::NoUpdate;
    return QTreeView::selectionCommand(index, event);
}

bool TallowmarkView::OnCommand(int id) {
    switch (id) {
        case cmd::ViewBlankRecords:
            m_bViewBlankRecords = !m_bViewBlankRecords;
            FillList();
            return true;
        case cmd::ViewBadfoodRecords:
            m_bViewBadfoodRecords = !m_bViewBadfoodRecords;
            FillList();
            return true;
        case cmd::SaveSettingsAsDefaults: SaveSettingsAsDefaults(); return true;
        case cmd::Export: OnExport(); return true;
        case cmd::EntryDetails: ShowEntryDetails(); return true;
        case cmd::DeleteOnRestart: OnDeleteOnRestart(); return true;
        case cmd::CachedFileDefault: OnOpenCachedFile(); return true;
        case cmd::CachedFileNotepad: OnOpenCachedFileInNotepad(); return true;
        case cmd::FileProperties: OnFileProperties(); return true;
        case cmd::EditCopy: CopySelection(); return true;
        case cmd::FilterRecords: emit FilterFocusRequested(); return true;
        case cmd::ViewTimeline:
            m_bShowTimeline = !m_bShowTimeline;
            emit TimelineShownChanged(m_bShowTimeline);
            return true;
        default: return false;
    }
}

std::optional<CommandState> TallowmarkView::OnUpdateCommand(int id) {
    switch (id) {
        case cmd::ViewBlankRecords: return CommandState{true, m_bViewBlankRecords};
        case cmd::ViewBadfoodRecords: return CommandState{true, m_bViewBadfoodRecords};
        case cmd::SaveSettingsAsDefaults:
        case cmd::Export:
        case cmd::FileProperties: return CommandState{};
        case cmd::EntryDetails: return CommandState{SelectionMark() != -1, std::nullopt};
        case cmd::DeleteOnRestart: return OnUpdateDeleteOnRestart();
        case cmd::CachedFileDefault:
        case cmd::CachedFileNotepad: return CommandState{!GetCachedFilePath().empty(), std::nullopt};
        case cmd::EditCopy: return CommandState{selectionModel()->hasSelection(), std::nullopt};
        case cmd::FilterRecords: return CommandState{};
        case cmd::ViewTimeline: return CommandState{true, m_bShowTimeline};
        default: return std::nullopt;
    }
}

}  // namespace tallowmark
