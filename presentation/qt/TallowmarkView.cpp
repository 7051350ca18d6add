#include "presentation/qt/TallowmarkView.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyle>
#include <unordered_set>

#include "presentation/EntryDetails.h"
#include "presentation/HeaderLayout.h"
#include "presentation/ListText.h"
#include "presentation/RecordCells.h"
#include "presentation/qt/RecordTableModel.h"
#include "widgets/LocaleDigits.h"
#include "widgets/MessageBoxes.h"

namespace tallowmark {

namespace {
constexpr const char* kNoRecordsMessage =
    "No records were found in this index.dat file. In other words, no personal information has been written to "
    "this index.dat file.\r\n\r\n%1";

// Message boxes show "\r\n" line breaks as "\n".
QString ForDisplay(const std::string& text) {
    return QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}
}  // namespace

TallowmarkView::TallowmarkView(std::shared_ptr<TallowmarkDoc> document, ViewOptions options, MessagePrompts& prompts,
                               QWidget* parent)
    : QTableView(parent),
      m_pDocument(std::move(document)),
      m_prompts(prompts),
      m_pModel(new RecordTableModel(*m_pDocument, options, this)) {
    // A report list: whole rows, no grid, no row numbers, one line a cell; Tab leaves it.
    setShowGrid(false);
    setWordWrap(false);
    setTabKeyNavigation(false);
    setCornerButtonEnabled(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(RowHeight());
    verticalHeader()->setDefaultSectionSize(RowHeight());
    setModel(m_pModel);  // once the rows' height is set, which each row's section takes
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    horizontalHeader()->setSectionsMovable(true);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setSortIndicatorShown(false);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &TallowmarkView::OnColumnClick);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int section, int, int width) {
        if (m_bSizingColumns) return;
        const int column = m_pModel->ColumnAt(section);
        m_userSizedColumns.insert(column);
        // Data keeps the width the user gives it; another column's new width takes from or
        // gives to the spare width Data holds.
        if (column == kColumnData) m_nDataWidth = width;
        else
            FillSpareWidth();
        m_layoutTimer.start();
    });
    connect(horizontalHeader(), &QHeaderView::sectionMoved, this, [this] {
        if (!m_bSizingColumns) m_layoutTimer.start();
    });
    // Told once the user has finished dragging, not at every step of it.
    m_layoutTimer.setSingleShot(true);
    m_layoutTimer.setInterval(300);
    connect(&m_layoutTimer, &QTimer::timeout, this, &TallowmarkView::ColumnLayoutChanged);
    // The extra columns are chosen from the header's menu, as in the desktop's file lists.
    horizontalHeader()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(horizontalHeader(), &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { ShowColumnMenu(horizontalHeader()->mapToGlobal(at)); });
    connect(this, &QAbstractItemView::doubleClicked, this, [this] { ShowEntryDetails(); });
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this, &TallowmarkView::CurrentEntryChanged);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &TallowmarkView::CurrentEntryChanged);
}

void TallowmarkView::OnInitialUpdate() {
    m_nDataWidth = StartingWidth(kColumnData);
    for (int section = 0; section < m_pModel->columnCount(); ++section)
        SizeColumn(section, StartingWidth(m_pModel->ColumnAt(section)));
    // The order and the widths the user gave the columns last time.
    m_bSizingColumns = true;
    for (const SectionStep& step : RelaidSections(m_startingLayout, Rows().Columns())) {
        if (step.visual >= 0) horizontalHeader()->moveSection(horizontalHeader()->visualIndex(step.section), step.visual);
        if (step.width < 0) continue;
        const int column = Rows().ColumnAt(step.section);
        horizontalHeader()->resizeSection(step.section, step.width);
        m_userSizedColumns.insert(column);
        if (column == kColumnData) m_nDataWidth = step.width;
    }
    m_bSizingColumns = false;
    if (m_pDocument->RecordCount() == 0)
        m_prompts.Message(window(), MessageIcon::Warning,
                          ForDisplay(FormatMessage(kNoRecordsMessage, m_pDocument->PathName())));
    RowsReplaced();
}

const ViewOptions& TallowmarkView::Options() const { return Rows().Options(); }

const RecordRows& TallowmarkView::Rows() const { return m_pModel->RowSet(); }

void TallowmarkView::SetOptions(ViewOptions options) {
    const bool otherColumns = options.extraColumns != Options().extraColumns;
    // The model is reset when the columns change: each column keeps its width and place.
    std::vector<HeaderPlace> places;
    const int sortedColumn =
        horizontalHeader()->isSortIndicatorShown() ? m_pModel->ColumnAt(horizontalHeader()->sortIndicatorSection()) : -1;
    for (int section = 0; otherColumns && section < m_pModel->columnCount(); ++section)
        places.push_back({m_pModel->ColumnAt(section), horizontalHeader()->sectionSize(section), horizontalHeader()->visualIndex(section)});

    // The selected rows stay selected where their records remain, across every column.
    bool refilled = false;
    const auto change = [&] { refilled = m_pModel->SetOptions(options); };
    if (otherColumns || !options.SameRows(Options())) KeepingSelection(change);
    else
        change();
    if (otherColumns) {
        for (const SectionStep& step : RelaidSections(std::move(places), Rows().Columns())) {
            if (step.visual >= 0) horizontalHeader()->moveSection(horizontalHeader()->visualIndex(step.section), step.visual);
            SizeColumn(step.section, step.width >= 0 ? step.width : StartingWidth(Rows().ColumnAt(step.section)));
        }
        const int sorted = Rows().SectionOf(sortedColumn);
        if (!refilled && sorted >= 0) horizontalHeader()->setSortIndicator(sorted, horizontalHeader()->sortIndicatorOrder());
        else
            horizontalHeader()->setSortIndicatorShown(false);
    }
    if (refilled) {
        horizontalHeader()->setSortIndicatorShown(false);  // the rows are in file order again
        RowsReplaced();
    } else {
        if (otherColumns) FitColumns();
        viewport()->update();        // the marks as the options draw them
        emit CurrentEntryChanged();  // the menu's ticks
        emit RowsChanged();          // the count says whether it counts deleted rows
    }
}

void TallowmarkView::RowsReplaced() {
    FitColumns();
    emit CurrentEntryChanged();
    emit RowsChanged();
}

QString TallowmarkView::FilterText() const { return QString::fromStdString(Rows().FilterText()); }

const RecordFilter& TallowmarkView::Filter() const { return Rows().Filter(); }

void TallowmarkView::SetFilterText(const QString& text) {
    const std::string fieldText = text.toStdString();
    if (fieldText == Rows().FilterText()) return;
    KeepingSelection([&] { m_pModel->SetFilterText(fieldText); });
    emit CurrentEntryChanged();
    emit RowsChanged();
}

void TallowmarkView::KeepingSelection(const std::function<void()>& change) {
    const RowList selected = RecordsAt(SelectedRows());
    const std::unordered_set<std::uint32_t> kept(selected.begin(), selected.end());
    const std::optional<std::uint32_t> current = m_pModel->PlaceAt(currentIndex().row());

    change();
    // Whole rows, every column shown now; consecutive kept rows become one range, so a
    // large selection costs little.
    const RecordRows::RowRuns found = Rows().RowsHolding(kept, current);
    QItemSelection selection;
    for (const auto& [first, last] : found.runs)
        selection.select(m_pModel->index(first, 0), m_pModel->index(last, m_pModel->columnCount() - 1));
    if (found.currentRow >= 0) {
        selectionModel()->setCurrentIndex(m_pModel->index(found.currentRow, 0), QItemSelectionModel::NoUpdate);
        scrollTo(currentIndex());
    }
    if (!selection.isEmpty()) selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

QString TallowmarkView::CountText() const {
    return QString::fromStdString(Rows().CountText(LocaleDigits));
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
    for (int row : rows)
        if (const auto place = m_pModel->PlaceAt(row)) records.push_back(*place);
    return records;
}

void TallowmarkView::CopySelection() {
    const RowList records = RecordsAt(SelectedRows());
    if (records.empty()) return;
    // Columns in the order the header shows them.
    std::vector<int> columns;
    for (int visual = 0; visual < horizontalHeader()->count(); ++visual) {
        const int section = horizontalHeader()->logicalIndex(visual);
        if (!horizontalHeader()->isSectionHidden(section)) columns.push_back(Rows().ColumnAt(section));
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);  // a select-all of a large file takes a moment
    const std::string text = RowsAsTabSeparated(*m_pDocument, records, columns, Rows().IsVersion4());
    QGuiApplication::clipboard()->setText(QString::fromStdString(text));
    QApplication::restoreOverrideCursor();
}

TimelineDays TallowmarkView::TimelineData(TimeBasis basis) const { return Rows().TimelineData(basis); }

void TallowmarkView::SetTimelineShown(bool shown) {
    m_bShowTimeline = shown;
    emit TimelineShownChanged(shown);
}

bool TallowmarkView::HasSelection() const { return selectionModel()->hasSelection(); }

int TallowmarkView::SelectionMark() const {
    // The focus alone gives the list a current row; the mark is a row the user selected.
    const QModelIndex current = currentIndex();
    if (!current.isValid() || !selectionModel()->isSelected(current)) return -1;
    return current.row();
}

std::optional<IndexRecord> TallowmarkView::CurrentRecord() const { return m_pModel->RecordAt(SelectionMark()); }

void TallowmarkView::ShowEntryDetails() {
    const std::optional<IndexRecord> record = CurrentRecord();
    if (!record) return;
    const std::string text = EntryDetailsWithEvidence(*record, m_pDocument->PathName());
    m_prompts.Details(window(), ForDisplay(text));
}

int TallowmarkView::RowHeight() const {
    // The height the item delegate asks for a line of text in the list's font.
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.features |= QStyleOptionViewItem::HasDisplay;
    option.text = QStringLiteral("Xg");
    return style()->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(), this).height();
}

QModelIndex TallowmarkView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    // The keys of a list of rows: Home and End go to the first and the last row, Left and
    // Right scroll the columns.
    const QModelIndex current = currentIndex();
    switch (action) {
    case MoveHome:
    case MoveEnd: {
        const int rows = m_pModel->rowCount();
        if (rows == 0) return {};
        return m_pModel->index(action == MoveHome ? 0 : rows - 1, current.isValid() ? current.column() : 0);
    }
    case MoveLeft:
    case MoveRight: {
        QScrollBar* bar = horizontalScrollBar();
        const bool back = (action == MoveLeft) != isRightToLeft();
        bar->setValue(bar->value() + (back ? -bar->singleStep() : bar->singleStep()));
        return current;
    }
    default:
        return QTableView::moveCursor(action, modifiers);
    }
}

void TallowmarkView::contextMenuEvent(QContextMenuEvent* event) {
    emit ContextMenuRequested(event->globalPos());
    event->accept();
}

QItemSelectionModel::SelectionFlags TallowmarkView::selectionCommand(const QModelIndex& index,
                                                                     const QEvent* event) const {
    // The context menu acts on the current entry, so a right-click outside the rows must
    // not clear it on its release.
    if (!index.isValid() && event && event->type() == QEvent::MouseButtonRelease &&
        static_cast<const QMouseEvent*>(event)->button() == Qt::RightButton)
        return QItemSelectionModel::NoUpdate;
    return QTableView::selectionCommand(index, event);
}

}  // namespace tallowmark
