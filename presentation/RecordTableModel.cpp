#include "presentation/RecordTableModel.h"

#include <unordered_map>

#include "presentation/AnsiText.h"
#include "presentation/RecordCells.h"

namespace tallowmark {

RecordTableModel::RecordTableModel(const TallowmarkDoc& document, ViewOptions options, QObject* parent)
    : QAbstractTableModel(parent), m_rows(document, options) {}

int RecordTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.Visible().size());
}

int RecordTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount(m_rows.IsVersion4());
}

QVariant RecordTableModel::data(const QModelIndex& index, int role) const {
    const IndexRecord* record = RecordAt(index.row());
    if (!record) return {};
    if (role == Qt::DisplayRole)
        return QString::fromStdString(AnsiToUtf8(CellText(*record, index.column(), m_rows.IsVersion4())));
    if (role == Qt::TextAlignmentRole) {
        const bool right = kRecordColumns[static_cast<std::size_t>(index.column())].alignment == CellAlignment::Right;
        return QVariant::fromValue(Qt::AlignVCenter | (right ? Qt::AlignRight : Qt::AlignLeft));
    }
    return {};
}

QVariant RecordTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) return {};
    const ColumnInfo& column = kRecordColumns[static_cast<std::size_t>(section)];
    if (role == Qt::DisplayRole) return QString::fromLatin1(column.title);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignVCenter |
                                   (column.alignment == CellAlignment::Right ? Qt::AlignRight : Qt::AlignLeft));
    return {};
}

void RecordTableModel::SetOptions(ViewOptions options) {
    beginResetModel();
    m_rows.SetOptions(options);
    endResetModel();
}

bool RecordTableModel::SetFilterText(const std::string& text) {
    if (text == m_rows.FilterText()) return false;
    beginResetModel();
    m_rows.SetFilterText(text);
    endResetModel();
    return true;
}

void RecordTableModel::SortByColumn(int column) {
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<const IndexRecord*> recordsBefore;
    recordsBefore.reserve(static_cast<std::size_t>(before.size()));
    for (const QModelIndex& index : before) recordsBefore.push_back(RecordAt(index.row()));
    m_rows.SortByColumn(column);
    if (!before.isEmpty()) {
        const RowList& rows = m_rows.Visible();
        std::unordered_map<const IndexRecord*, int> newRow;
        newRow.reserve(rows.size());
        for (std::size_t i = 0; i < rows.size(); ++i) newRow.emplace(rows[i], static_cast<int>(i));
        QModelIndexList after;
        for (qsizetype i = 0; i < before.size(); ++i)
            after.push_back(index(newRow.at(recordsBefore[static_cast<std::size_t>(i)]), before[i].column()));
        changePersistentIndexList(before, after);
    }
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

}  // namespace tallowmark
