#pragma once
// The record list of one document window. Its rows are the model's; the view keeps the
// selection, the columns' widths and the widgets.

#include <QTimer>
#include <QTableView>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "model/TallowmarkDoc.h"
#include "presentation/HeaderLayout.h"
#include "presentation/RecordRows.h"

namespace tallowmark {

class MessagePrompts;
class RecordTableModel;

class TallowmarkView : public QTableView {
    Q_OBJECT
public:
    // `options` are the viewing defaults in force when the view is made; `prompts` shows
    // its messages and the entry details.
    TallowmarkView(std::shared_ptr<TallowmarkDoc> document, ViewOptions options, MessagePrompts& prompts,
                   QWidget* parent = nullptr);

    TallowmarkDoc& GetDocument() const { return *m_pDocument; }
    const std::shared_ptr<TallowmarkDoc>& DocumentPointer() const { return m_pDocument; }

    // Sets the columns, reports an empty document, fills the rows.
    void OnInitialUpdate();
    // The viewing options; a change of the records shown refills the list in file order,
    // one of the marks alone redraws it.
    const ViewOptions& Options() const;
    bool ViewBlankRecords() const { return Options().viewBlankRecords; }
    bool ViewBadfoodRecords() const { return Options().viewBadfoodRecords; }
    bool MarkDeletedRecords() const { return Options().markDeletedRecords; }
    void SetOptions(ViewOptions options);
    // Shows or hides one of the extra columns (kColumnStatus, …).
    void SetExtraColumn(int column, bool shown);
    // A click on the header's section `section`.
    void OnColumnClick(int section);
    // Widens "No.", "Size", "Cache Dir" and "Filename" to the widest value the document
    // holds ("Filename" to a third of the screen at most); never a column the user sized.
    void FitColumns();
    // The columns' order and widths to start with (before OnInitialUpdate), as the user
    // left them last; and as the user has them now, for the next view (width -1: a column
    // at its starting width).
    void SetStartingLayout(std::vector<HeaderPlace> layout);
    std::vector<HeaderPlace> ColumnLayout() const;
    // The tooltip of a cell: its whole text where the column cuts it off, and what its
    // text does not say by itself.
    QString CellTip(const QModelIndex& index) const;
    void ShowEntryDetails();

    // The row of the current entry (the selected row that has the focus), or -1.
    int SelectionMark() const;
    std::optional<IndexRecord> CurrentRecord() const;
    bool HasSelection() const;
    RecordTableModel& Model() const { return *m_pModel; }
    const RecordRows& Rows() const;

    // The filter field's text: keeps the matching rows in the list's order, and the
    // selection on its records.
    void SetFilterText(const QString& text);
    QString FilterText() const;
    const RecordFilter& Filter() const;
    // "N records" or "N of M records".
    QString CountText() const;
    // The selected rows as tab-separated text on the clipboard.
    void CopySelection();
    void RequestFilterFocus() { emit FilterFocusRequested(); }
    bool IsTimelineShown() const { return m_bShowTimeline; }
    void SetTimelineShown(bool shown);
    // The days of the rows the text filter keeps, whatever period is chosen.
    TimelineDays TimelineData(TimeBasis basis) const;

signals:
    void CurrentEntryChanged();
    void RowsChanged();
    void FilterFocusRequested();
    void TimelineShownChanged(bool shown);
    // A right-click on the list, at `position` on the screen: the frame shows its menu.
    void ContextMenuRequested(const QPoint& position);
    // The user moved or sized a column.
    void ColumnLayoutChanged();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event = nullptr) const override;

private:
    void RowsReplaced();
    int RowHeight() const;
    // Runs `change` to the rows or columns, then selects again the whole rows of the
    // records selected before, and makes the current record's row current again.
    void KeepingSelection(const std::function<void()>& change);
    void SizeColumn(int section, int width);
    // In a wide list "Data" takes the width the other columns leave, never less than its own.
    void FillSpareWidth();
    int StartingWidth(int column) const;
    void ShowColumnMenu(const QPoint& position);
    // The width each column needs for the widest text the document holds (0: none).
    std::vector<int> WidestTextWidths() const;
    std::vector<int> SelectedRows() const;  // ascending
    RowList RecordsAt(const std::vector<int>& rows) const;

    std::shared_ptr<TallowmarkDoc> m_pDocument;
    MessagePrompts& m_prompts;
    RecordTableModel* m_pModel;
    bool m_bShowTimeline = false;
    bool m_bSizingColumns = false;        // the widths change by our hand, not the user's
    std::set<int> m_userSizedColumns;     // columns dragged by the user, so never sized again
    std::vector<int> m_widestTextWidths;  // by column
    std::vector<HeaderPlace> m_startingLayout;
    int m_nDataWidth = 0;  // the width of "Data" of its own, without the spare width
    QTimer m_layoutTimer;
};

}  // namespace tallowmark
