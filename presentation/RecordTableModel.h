#pragma once
// The rows of one view: pointers to the document's records, shown through the core's cells.

#include <QAbstractTableModel>
#include <functional>

#include "presentation/RecordSort.h"

namespace tallowmark {

class RecordTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    RecordTableModel(bool isVersion4, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void SetRows(RowList rows);
    // Reorders the rows; selection and current row follow their records.
    void Reorder(const std::function<void(RowList&)>& reorder);
    const IndexRecord* RecordAt(int row) const;
    const RowList& Rows() const { return m_rows; }

private:
    bool m_bVersion4;
    RowList m_rows;
};

}  // namespace tallowmark
