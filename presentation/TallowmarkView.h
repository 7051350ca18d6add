#pragma once
// The record list of one document window.

#include <QTreeView>
#include <memory>

#include "model/TallowmarkDoc.h"
#include "shell/CommandTarget.h"

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

private:
    std::shared_ptr<TallowmarkDoc> m_pDocument;
    RecordTableModel* m_pModel;
};

}  // namespace tallowmark
