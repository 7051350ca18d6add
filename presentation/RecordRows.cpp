#include "presentation/RecordRows.h"

#include <algorithm>

#include "model/RecordEvidence.h"
#include "presentation/ListText.h"

namespace tallowmark {

RecordRows::RecordRows(const TallowmarkDoc& document, ViewOptions options, SortToggle& sortToggle)
    : m_pDocument(&document), m_sortToggle(sortToggle), m_bVersion4(document.IsVersion4()), m_options(options) {
    m_columns = ShownColumns(m_bVersion4, options.extraColumns);
    Refill();
}

int RecordRows::ColumnAt(int section) const {
    return section >= 0 && static_cast<std::size_t>(section) < m_columns.size()
               ? m_columns[static_cast<std::size_t>(section)]
               : -1;
}

int RecordRows::SectionOf(int column) const {
    const auto at = std::find(m_columns.begin(), m_columns.end(), column);
    return at == m_columns.end() ? -1 : static_cast<int>(at - m_columns.begin());
}

bool RecordRows::SetOptions(ViewOptions options) {
    const bool sameRows = options.SameRows(m_options);
    const bool otherColumns = options.extraColumns != m_options.extraColumns;
    m_options = options;
    if (otherColumns) m_columns = ShownColumns(m_bVersion4, options.extraColumns);
    if (sameRows) {
        if (otherColumns && !m_filter.IsEmpty()) Refilter();
        return false;
    }
    Refill();
    return true;
}

void RecordRows::Refill() {
    RowList rows;
    rows.reserve(m_pDocument->RecordCount());
    for (const auto& record : m_pDocument->Records())
        if (m_options.Shows(*record)) rows.push_back(record.get());
    m_ordered = std::move(rows);
    Refilter();
}

void RecordRows::Refilter() { SetVisible(FilterRows(m_ordered, m_filter, m_bVersion4, m_options.extraColumns)); }

void RecordRows::SetVisible(RowList rows) {
    m_visible = std::move(rows);
    m_deletedVisible = 0;
    // As LookOf tells a deleted row, the status first: most records are not deleted.
    for (const IndexRecord* record : m_visible)
        m_deletedVisible += record->Marks().Status() == RecordStatus::Deleted && CarriesEvidence(*record);
}

RowLook RecordRows::LookAt(int row) const {
    const IndexRecord* record = At(row);
    return record ? LookOf(*record, m_options.markDeletedRecords) : RowLook{};
}

void RecordRows::SortByColumn(int column) {
    m_sortToggle.OnColumnClick(m_ordered, column);
    Refilter();
}

bool RecordRows::SetFilterText(const std::string& text) {
    if (text == m_strFilterText) return false;
    RecordFilter next(text);
    // Typing on narrows the list: only the rows shown now can still match.
    RowList rows =
        FilterRows(next.Narrows(m_filter) ? m_visible : m_ordered, next, m_bVersion4, m_options.extraColumns);
    m_strFilterText = text;
    m_filter = std::move(next);
    SetVisible(std::move(rows));
    return true;
}

const IndexRecord* RecordRows::At(int row) const {
    if (row < 0 || static_cast<std::size_t>(row) >= m_visible.size()) return nullptr;
    return m_visible[static_cast<std::size_t>(row)];
}

RecordRows::RowRuns RecordRows::RowsHolding(const std::unordered_set<const IndexRecord*>& records,
                                            const IndexRecord* current) const {
    RowRuns found;
    if (records.empty() && !current) return found;
    for (std::size_t i = 0; i < m_visible.size(); ++i) {
        if (m_visible[i] == current) found.currentRow = static_cast<int>(i);
        if (!records.count(m_visible[i])) continue;
        std::size_t end = i;
        while (end + 1 < m_visible.size() && records.count(m_visible[end + 1])) {
            if (m_visible[++end] == current) found.currentRow = static_cast<int>(end);
        }
        found.runs.emplace_back(static_cast<int>(i), static_cast<int>(end));
        i = end;
    }
    return found;
}

std::string RecordRows::CountText(CountDigits digits) const {
    std::string text = RecordCountText(m_visible.size(), m_pDocument->RecordCount(), digits);
    if (m_options.markDeletedRecords && m_deletedVisible)
        text += ", " + (digits ? digits(m_deletedVisible) : std::to_string(m_deletedVisible)) + " deleted";
    return text;
}

TimelineDays RecordRows::TimelineData(TimeBasis basis) const {
    if (!m_filter.Period()) return GatherTimelineDays(m_visible, basis);
    const RecordFilter textOnly(WithPeriodTerm(m_strFilterText, std::nullopt));
    return GatherTimelineDays(FilterRows(m_ordered, textOnly, m_bVersion4, m_options.extraColumns), basis);
}

}  // namespace tallowmark
