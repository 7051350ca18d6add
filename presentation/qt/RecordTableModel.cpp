#include "presentation/qt/RecordTableModel.h"

#include <QFont>
#include <QGuiApplication>
#include <QPalette>
#include <algorithm>
#include <unordered_map>

#include "presentation/Columns.h"

namespace tallowmark {

namespace {
QVariant Alignment(const Column& column) {
    return QVariant::fromValue(Qt::AlignVCenter |
                               (column.alignment == CellAlignment::Right ? Qt::AlignRight : Qt::AlignLeft));
}
}  // namespace

RecordTableModel::RecordTableModel(const TallowmarkDoc& document, ViewOptions options, QObject* parent)
    : QAbstractTableModel(parent), m_rows(document, options) {}

int RecordTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.Visible().size());
}

int RecordTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.Columns().size());
}

QVariant RecordTableModel::data(const QModelIndex& index, int role) const {
    const std::optional<IndexRecord> record = RecordAt(index.row());
    if (!record) return {};
    const int column = m_rows.ColumnAt(index.column());
    if (column < 0) return {};
    switch (role) {
        case Qt::DisplayRole: {
            QString text = QString::fromStdString(ShownCellText(*record, column, m_rows.IsVersion4()));
            if (column == kColumnNumber) text.prepend(QString::fromStdString(m_rows.LookAt(index.row()).NumberMark()));
            return text;
        }
        case Qt::TextAlignmentRole: return Alignment(*ColumnOf(column));
        case Qt::FontRole:
            if (m_rows.LookAt(index.row()).deleted) {
                QFont font;
                font.setItalic(true);
                return font;
            }
            return {};
        case Qt::ForegroundRole:
            // The desktop's own muted text, legible in light and dark themes alike.
            if (m_rows.LookAt(index.row()).deleted) return QGuiApplication::palette().brush(QPalette::PlaceholderText);
            return {};
        case Qt::ToolTipRole: {
            const std::string tip = column == kColumnNumber ? m_rows.LookAt(index.row()).Tooltip()
                                                            : CellNote(*record, column, m_rows.IsVersion4());
            return tip.empty() ? QVariant() : QString::fromStdString(tip);
        }
        default: return {};
    }
}

QVariant RecordTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    const Column* column = ColumnOf(m_rows.ColumnAt(section));
    if (orientation != Qt::Horizontal || !column) return {};
    if (role == Qt::DisplayRole) return QString::fromLatin1(column->title);
    if (role == Qt::TextAlignmentRole) return Alignment(*column);
    return {};
}

bool RecordTableModel::SetOptions(ViewOptions options) {
    const bool otherColumns = options.extraColumns != m_rows.Options().extraColumns;
    // Other rows, or a filter that may keep others in other columns: the rows start afresh.
    if (!options.SameRows(m_rows.Options()) || (otherColumns && !m_rows.Filter().IsEmpty())) {
        beginResetModel();
        const bool refilled = m_rows.SetOptions(options);
        endResetModel();
        return refilled;
    }
    // Column by column, so that the selection and every other column stay as they are.
    for (int column = kFirstExtraColumn; column < static_cast<int>(kRecordColumns.size()); ++column) {
        ViewOptions step = m_rows.Options();
        const bool shown = options.extraColumns.Has(column);
        if (step.extraColumns.Has(column) == shown) continue;
        step.extraColumns.Set(column, shown);
        const std::vector<int>& columns = m_rows.Columns();  // ascending
        const int section =
            static_cast<int>(std::lower_bound(columns.begin(), columns.end(), column) - columns.begin());
        if (shown) beginInsertColumns({}, section, section);
        else
            beginRemoveColumns({}, section, section);
        m_rows.SetOptions(step);
        if (shown) endInsertColumns();
        else
            endRemoveColumns();
    }
    // Other marks change how the cells are drawn only: the view repaints them. (A
    // dataChanged over every row costs the view a pass over all of them.)
    m_rows.SetOptions(options);
    return false;
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
    std::vector<std::uint32_t> recordsBefore;
    recordsBefore.reserve(static_cast<std::size_t>(before.size()));
    for (const QModelIndex& index : before) recordsBefore.push_back(PlaceAt(index.row()).value());
    m_rows.SortByColumn(column);
    if (!before.isEmpty()) {
        // Where the few records the view holds on to went, in one pass over the rows: a map
        // of every row would cost more than the rows themselves.
        std::unordered_map<std::uint32_t, int> newRow;
        for (std::uint32_t place : recordsBefore) newRow.emplace(place, -1);
        const RowList& rows = m_rows.Visible();
        for (std::size_t i = 0; i < rows.size(); ++i)
            if (const auto found = newRow.find(rows[i]); found != newRow.end()) found->second = static_cast<int>(i);
        QModelIndexList after;
        for (qsizetype i = 0; i < before.size(); ++i)
            after.push_back(index(newRow.at(recordsBefore[static_cast<std::size_t>(i)]), before[i].column()));
        changePersistentIndexList(before, after);
    }
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

}  // namespace tallowmark
