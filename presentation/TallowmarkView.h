#pragma once
// The record list of one document window.

#include <QTreeView>
#include <memory>
#include <set>
#include <string>

#include "model/TallowmarkDoc.h"
#include "presentation/RecordFilter.h"
#include "presentation/TimelineBars.h"
#include "shell/CommandTarget.h"

class QMenu;

namespace tallowmark {

class RecordTableModel;

class TallowmarkView : public QTreeView, public CommandTarget {
    Q_OBJECT
public:
    TallowmarkView(std::shared_ptr<TallowmarkDoc> document, QWidget* parent = nullptr);

    TallowmarkDoc& GetDocument() const { return *m_pDocument; }
    const std::shared_ptr<TallowmarkDoc>& DocumentPointer() const { return m_pDocument; }

    // Sets the columns, reports an empty document, fills the rows.
    void OnInitialUpdate();
    void FillList();
    void OnColumnClick(int column);
    // Widens "No.", "Size", "Cache Dir" and "Filename" to the widest value the document
    // holds ("Filename" to a third of the screen at most); never a column the user sized.
    void FitColumns();
    void ShowEntryDetails();
    void OnExport();
    void SaveSettingsAsDefaults();
    // Schedules the document's file for deletion when the system restarts; says so when
    // that fails. The update handler asks the system afresh each time.
    void OnDeleteOnRestart();
    CommandState OnUpdateDeleteOnRestart() const;
    void OnFileProperties();

    // The cached copy of the current entry, asked of the disk afresh; empty when there is none.
    std::string GetCachedFilePath() const;
    void OnOpenCachedFile();
    void OnOpenCachedFileInNotepad();
    // The context menu for the current entry; the cached-file items only when it has a cached copy.
    std::unique_ptr<QMenu> CreateContextMenu();
    void OnListRightClick(const QPoint& position);

    // The row of the current entry (the selected row that has the focus), or -1.
    int SelectionMark() const;
    const IndexRecord* CurrentRecord() const;
    RecordTableModel& Model() const { return *m_pModel; }

    // The filter field's text: keeps the matching rows in the list's order, and the
    // selection on its records.
    void SetFilterText(const QString& text);
    QString FilterText() const { return QString::fromStdString(m_strFilterText); }
    const RecordFilter& Filter() const { return m_filter; }
    // "N records" or "N of M records".
    QString CountText() const;
    // The selected rows as tab-separated text on the clipboard.
    void CopySelection();
    bool IsTimelineShown() const { return m_bShowTimeline; }
    // The days of the rows the text filter keeps, whatever period is chosen.
    TimelineDays TimelineData(TimeBasis basis) const;

    bool m_bViewBlankRecords;
    bool m_bViewBadfoodRecords;

    bool OnCommand(int id) override;
    std::optional<CommandState> OnUpdateCommand(int id) override;

signals:
    void CurrentEntryChanged();
    void RowsChanged();
    void FilterFocusRequested();
    void TimelineShownChanged(bool shown);
    // An item of the context menu was chosen; it takes the ordinary command route.
    void ContextCommand(int id);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event = nullptr) const override;

private:
    void ShowRows(RowList rows);
    void SizeColumn(int column, int width);
    // The width each column needs for the widest text the document holds (0: none).
    std::vector<int> WidestTextWidths() const;
    std::vector<int> SelectedRows() const;  // ascending
    RowList RecordsAt(const std::vector<int>& rows) const;

    std::shared_ptr<TallowmarkDoc> m_pDocument;
    RecordTableModel* m_pModel;
    RowList m_orderedRows;  // every record the options let through, in the list's order
    std::string m_strFilterText;
    RecordFilter m_filter;
    bool m_bShowTimeline = false;
    bool m_bSizingColumns = false;     // the widths change by our hand, not the user's
    std::set<int> m_userSizedColumns;  // dragged by the user, so never sized again
    std::vector<int> m_widestTextWidths;
};

}  // namespace tallowmark
