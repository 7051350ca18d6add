// The list's columns: their starting and fitted widths, the spare width Data takes, the
// order and widths kept for the next time, the header's menu of extra columns, a click's
// sort, and the tooltip that shows a cut-off cell whole.
#include <QApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QMenu>
#include <QScreen>
#include <QStyle>
#include <QToolTip>

#include "presentation/ListText.h"
#include "presentation/qt/RecordTableModel.h"
#include "presentation/qt/TallowmarkView.h"

namespace tallowmark {

int TallowmarkView::StartingWidth(int column) const {
    // The table's widths, widened where this desktop's font would cut a title or a date.
    const Column& info = *ColumnOf(column);
    const int width =
        std::max(info.width, horizontalHeader()->fontMetrics().horizontalAdvance(QString::fromLatin1(info.title)) + 14);
    if (info.kind != ColumnKind::Time) return width;
    return std::max(width, fontMetrics().horizontalAdvance(QStringLiteral("00 May 0000, 00:00")) + 14);
}

void TallowmarkView::SetStartingLayout(std::vector<HeaderPlace> layout) { m_startingLayout = std::move(layout); }

std::vector<HeaderPlace> TallowmarkView::ColumnLayout() const {
    std::vector<HeaderPlace> places;
    for (int section = 0; section < m_pModel->columnCount(); ++section) {
        if (horizontalHeader()->isSectionHidden(section)) continue;
        const int column = m_pModel->ColumnAt(section);
        const int width = column == kColumnData ? m_nDataWidth : horizontalHeader()->sectionSize(section);
        places.push_back({column, m_userSizedColumns.count(column) ? width : -1, horizontalHeader()->visualIndex(section)});
    }
    return places;
}

void TallowmarkView::FillSpareWidth() {
    const int dataSection = Rows().SectionOf(kColumnData);
    if (dataSection < 0 || horizontalHeader()->isSectionHidden(dataSection)) return;
    int others = 0;
    for (int section = 0; section < horizontalHeader()->count(); ++section)
        if (section != dataSection && !horizontalHeader()->isSectionHidden(section)) others += horizontalHeader()->sectionSize(section);
    const int width = std::max(m_nDataWidth, viewport()->width() - others);
    if (width != horizontalHeader()->sectionSize(dataSection)) SizeColumn(dataSection, width);
}

void TallowmarkView::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    FillSpareWidth();
}

QString TallowmarkView::CellTip(const QModelIndex& index) const {
    if (!index.isValid()) return {};
    const QString note = index.data(Qt::ToolTipRole).toString();
    const QString text = index.data().toString();
    const QVariant font = index.data(Qt::FontRole);
    const QFontMetrics metrics(font.isValid() ? font.value<QFont>().resolve(this->font()) : this->font());
    // The margin the item delegate leaves on either side of a cell's text.
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    if (text.isEmpty() || metrics.horizontalAdvance(text) + 2 * margin <= visualRect(index).width()) return note;
    // The whole text, in lines a screen can hold.
    constexpr qsizetype kLine = 120, kMost = 4000;
    QString whole = text.left(kMost);
    for (qsizetype at = kLine; at < whole.size(); at += kLine + 1) {
        if (whole.at(at).isLowSurrogate()) --at;
        whole.insert(at, QLatin1Char('\n'));
    }
    if (text.size() > kMost) whole += QChar(0x2026);
    return note.isEmpty() ? whole : whole + QLatin1Char('\n') + note;
}

bool TallowmarkView::viewportEvent(QEvent* event) {
    if (event->type() != QEvent::ToolTip) return QTableView::viewportEvent(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const QModelIndex index = indexAt(help->pos());
    const QString tip = CellTip(index);
    if (tip.isEmpty()) QToolTip::hideText();
    else
        QToolTip::showText(help->globalPos(), tip, viewport(), visualRect(index));
    return true;
}

void TallowmarkView::SetExtraColumn(int column, bool shown) {
    ViewOptions options = Options();
    options.extraColumns.Set(column, shown);
    SetOptions(options);
}

void TallowmarkView::ShowColumnMenu(const QPoint& position) {
    QMenu menu(this);
    for (int column = kFirstExtraColumn; column < static_cast<int>(kRecordColumns.size()); ++column) {
        QAction* action = menu.addAction(QString::fromLatin1(kRecordColumns[static_cast<std::size_t>(column)].title));
        action->setCheckable(true);
        action->setChecked(Options().extraColumns.Has(column));
        connect(action, &QAction::toggled, this, [this, column](bool shown) { SetExtraColumn(column, shown); });
    }
    menu.exec(position);
}

void TallowmarkView::SizeColumn(int column, int width) {
    m_bSizingColumns = true;
    horizontalHeader()->resizeSection(column, width);
    m_bSizingColumns = false;
}

std::vector<int> TallowmarkView::WidestTextWidths() const {
    // Record numbers and sizes of large files, and most cache names in this desktop's
    // font, are wider than the table's widths.
    constexpr int kMargin = 16;
    std::vector<int> widths;  // by column
    for (const std::vector<std::string>& texts : TextsToFit(*m_pDocument, 32)) {
        int most = 0;
        for (const std::string& text : texts)
            most = std::max(most, fontMetrics().horizontalAdvance(QString::fromStdString(text)));
        widths.push_back(most == 0 ? 0 : most + kMargin);
    }
    if (screen())
        widths[kColumnFileName] = std::min(widths[kColumnFileName], screen()->availableGeometry().width() / 3);
    return widths;
}

void TallowmarkView::FitColumns() {
    // The document never changes, so its texts are measured once.
    if (m_widestTextWidths.empty()) m_widestTextWidths = WidestTextWidths();
    for (int section = 0; section < m_pModel->columnCount(); ++section) {
        const int column = m_pModel->ColumnAt(section);
        const int needed = m_widestTextWidths[static_cast<std::size_t>(column)];
        if (!m_userSizedColumns.count(column) && horizontalHeader()->sectionSize(section) < needed) SizeColumn(section, needed);
    }
    FillSpareWidth();
}

void TallowmarkView::OnColumnClick(int section) {
    const int column = m_pModel->ColumnAt(section);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_pModel->SortByColumn(column);
    QApplication::restoreOverrideCursor();
    horizontalHeader()->setSortIndicator(section, Rows().SortedAscendingBy(column) ? Qt::AscendingOrder : Qt::DescendingOrder);
    horizontalHeader()->setSortIndicatorShown(true);
}

}  // namespace tallowmark
