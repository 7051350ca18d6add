#pragma once
// The record list of one document window.

#include <QTreeView>
#include <memory>
#include <string>

#include "model/TallowmarkDoc.h"
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
    // Widens "No." and "Size" to the document's largest values.
    void FitNumberColumns();
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

    bool m_bViewBlankRecords;
    bool m_bViewBadfoodRecords;

    bool OnCommand(int id) override;
    std::optional<CommandState> OnUpdateCommand(int id) override;

signals:
    void CurrentEntryChanged();
    // An item of the context menu was chosen; it takes the ordinary command route.
    void ContextCommand(int id);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event = nullptr) const override;

private:
    std::shared_ptr<TallowmarkDoc> m_pDocument;
    RecordTableModel* m_pModel;
};

}  // namespace tallowmark
