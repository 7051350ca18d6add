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
    const std::vector<RecordEntry>& entries = m_pDocument->Entries();
    std::size_t shown = 0;
    for (const RecordEntry& entry : entries) shown += m_options.Shows(static_cast<BlockKind>(entry.kind));
    rows.reserve(shown);
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (m_options.Shows(static_cast<BlockKind>(entries[i].kind))) rows.push_back(static_cast<std::uint32_t>(i));
    m_ordered = std::move(rows);
    Refilter();
}

void RecordRows::Refilter() {
    SetVisible(m_filter.IsEmpty() ? RowList{}
                                  : FilterRows(*m_pDocument, m_ordered, m_filter, m_bVersion4, m_options.extraColumns));
}

void RecordRows::SetVisible(RowList rows) {
    m_visible = std::move(rows);
    m_deletedVisible = 0;
    // As LookOf tells a deleted row, the status first: most records are not deleted.
    const std::vector<RecordEntry>& entries = m_pDocument->Entries();
    for (std::uint32_t place : Visible()) {
        const RecordEntry& entry = entries[place];
        m_deletedVisible += RecordMarks::FromBits(static_cast<std::uint8_t>(entry.marks)).Status() ==
                                RecordStatus::Deleted &&
                            CarriesEvidence(static_cast<BlockKind>(entry.kind));
    }
}

RowLook RecordRows::LookAt(int row) const {
    const std::optional<IndexRecord> record = At(row);
    return record ? LookOf(*record, m_options.markDeletedRecords) : RowLook{};
}

void RecordRows::SortByColumn(int column) {
    m_sortToggle.OnColumnClick(*m_pDocument, m_ordered, column);
    Refilter();
}

bool RecordRows::SetFilterText(const std::string& text) {
    if (text == m_strFilterText) return false;
    RecordFilter next(text);
    // Typing on narrows the list: only the rows shown now can still match.
    RowList rows = next.IsEmpty() ? RowList{}
                                  : FilterRows(*m_pDocument, next.Narrows(m_filter) ? Visible() : m_ordered, next,
                                               m_bVersion4, m_options.extraColumns);
    m_strFilterText = text;
    m_filter = std::move(next);
    SetVisible(std::move(rows));
    return true;
}

std::optional<std::uint32_t> RecordRows::PlaceAt(int row) const {
    const RowList& visible = Visible();
    if (row < 0 || static_cast<std::size_t>(row) >= visible.size()) return std::nullopt;
    return visible[static_cast<std::size_t>(row)];
}

std::optional<IndexRecord> RecordRows::At(int row) const {
    const std::optional<std::uint32_t> place = PlaceAt(row);
    if (!place) return std::nullopt;
    return m_pDocument->Record(*place);
}

RecordRows::RowRuns RecordRows::RowsHolding(const std::unordered_set<std::uint32_t>& places,
                                            std::optional<std::uint32_t> current) const {
    RowRuns found;
    if (places.empty() && !current) return found;
    const RowList& visible = Visible();
    for (std::size_t i = 0; i < visible.size(); ++i) {
        if (visible[i] == current) found.currentRow = static_cast<int>(i);
        if (!places.count(visible[i])) continue;
        std::size_t end = i;
        while (end + 1 < visible.size() && places.count(visible[end + 1])) {
            if (visible[++end] == current) found.currentRow = static_cast<int>(end);
        }
        found.runs.emplace_back(static_cast<int>(i), static_cast<int>(end));
        i = end;
    }
    return found;
}

std::string RecordRows::CountText(CountDigits digits) const {
    std::string text = RecordCountText(Visible().size(), m_pDocument->RecordCount(), digits);
    if (m_options.markDeletedRecords && m_deletedVisible)
        text += ", " + (digits ? digits(m_deletedVisible) : std::to_string(m_deletedVisible)) + " deleted";
    return text;
}

TimelineDays RecordRows::TimelineData(TimeBasis basis) const {
    if (!m_filter.Period()) return GatherTimelineDays(*m_pDocument, Visible(), basis);
    const RecordFilter textOnly(WithPeriodTerm(m_strFilterText, std::nullopt));
    return GatherTimelineDays(*m_pDocument, FilterRows(*m_pDocument, m_ordered, textOnly, m_bVersion4, m_options.extraColumns),
                              basis);
}

}  // namespace tallowmark
