#pragma once
// The rows of one view, as Qt's item views read them: the row set decides which records
// show in which order, the core's cells give their texts.

#include <QAbstractTableModel>
#include <string>

#include "presentation/RecordRows.h"

namespace tallowmark {

class RecordTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    RecordTableModel(const TallowmarkDoc& document, ViewOptions options, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    const RecordRows& RowSet() const { return m_rows; }
    const RowList& Rows() const { return m_rows.Visible(); }
    std::optional<IndexRecord> RecordAt(int row) const { return m_rows.At(row); }
    // The place in the document of the record of row `row`, or nothing.
    std::optional<std::uint32_t> PlaceAt(int row) const { return m_rows.PlaceAt(row); }

    // The column (kColumnNumber, …) of the section `section`, or -1.
    int ColumnAt(int section) const { return m_rows.ColumnAt(section); }

    // Each of these changes the rows shown; see RecordRows. SetOptions is false when the
    // rows stayed in their order: only the drawing or the columns changed.
    bool SetOptions(ViewOptions options);
    bool SetFilterText(const std::string& text);
    // Selection and current row follow their records.
    void SortByColumn(int column);

private:
    RecordRows m_rows;
};

}  // namespace tallowmark
