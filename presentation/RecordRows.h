#pragma once
// The rows of one list: the records its viewing options let through in the list's order,
// and of those the ones its filter keeps. The Qt item model shows them; this class decides
// them, so every rule about which rows show in which order is tested without a window.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "model/TallowmarkDoc.h"
#include "presentation/ListText.h"
#include "presentation/RecordCells.h"
#include "presentation/RecordFilter.h"
#include "presentation/RecordSort.h"
#include "presentation/TimelineBars.h"

namespace tallowmark {

class RecordRows {
public:
    // Every record the options let through, in file order. `document` outlives the rows;
    // `sortToggle`, which turns the way of each click on a header, outlives them too.
    RecordRows(const TallowmarkDoc& document, ViewOptions options, SortToggle& sortToggle = SortToggle::Program());

    const TallowmarkDoc& Document() const { return *m_pDocument; }
    bool IsVersion4() const { return m_bVersion4; }
    const ViewOptions& Options() const { return m_options; }
    // Refills the rows in file order when the options let other records through: the sort
    // is undone, the filter kept. False when the rows stay in their order (a change of the
    // extra columns filters them again, as the text may match in other columns now).
    bool SetOptions(ViewOptions options);
    // The columns shown, in the table's order (kColumnNumber, …); the model's sections.
    const std::vector<int>& Columns() const { return m_columns; }
    // The column of the section `section`, or -1.
    int ColumnAt(int section) const;
    // The section of the column `column`, or -1 when the list does not show it.
    int SectionOf(int column) const;
    // How the shown row `row` is drawn.
    RowLook LookAt(int row) const;

    // A click on the column's header, with the toggle the lists share. The whole list is
    // sorted, so that a wider filter later brings rows back in that order too.
    void SortByColumn(int column);
    // Whether the last sort of any list sharing the toggle was ascending by `column`.
    bool SortedAscendingBy(int column) const { return m_sortToggle.SortedAscendingBy(column); }

    // The filter field's text (UTF-8); false when it is the text in force already.
    bool SetFilterText(const std::string& text);
    const std::string& FilterText() const { return m_strFilterText; }
    const RecordFilter& Filter() const { return m_filter; }

    // The rows shown: those the filter keeps, in the list's order (the same list as the
    // ordered records while no filter is in force).
    const RowList& Visible() const { return m_filter.IsEmpty() ? m_ordered : m_visible; }
    // The record of the shown row `row`, or nothing.
    std::optional<IndexRecord> At(int row) const;
    // The place in the document of the record of the shown row `row`, or nothing.
    std::optional<std::uint32_t> PlaceAt(int row) const;
    // Where records are shown now, so that a selection follows them: the runs of
    // consecutive rows that hold one of the records at `places` (first and last row), and
    // the row of the record at `current` (-1 when it is not shown).
    struct RowRuns {
        std::vector<std::pair<int, int>> runs;
        int currentRow = -1;
    };
    RowRuns RowsHolding(const std::unordered_set<std::uint32_t>& places, std::optional<std::uint32_t> current) const;
    // "N records" or "N of M records", then ", D deleted" while the list marks deleted
    // records and D of the shown rows are; the counts' digits written by `digits`.
    std::string CountText(CountDigits digits = nullptr) const;
    // The days of the rows the text filter keeps, whatever period it names.
    TimelineDays TimelineData(TimeBasis basis) const;

private:
    void Refill();
    void Refilter();
    void SetVisible(RowList rows);

    const TallowmarkDoc* m_pDocument;
    SortToggle& m_sortToggle;
    bool m_bVersion4;
    ViewOptions m_options;
    std::vector<int> m_columns;
    RowList m_ordered;  // every record the options let through, in the list's order
    std::string m_strFilterText;
    RecordFilter m_filter;
    RowList m_visible;  // while a filter is in force
    std::size_t m_deletedVisible = 0;
};

}  // namespace tallowmark
