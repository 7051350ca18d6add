#pragma once
// Which rows a list keeps while the user filters it: those whose URL, cache file name,
// cache directory or type, or one of the extra columns shown (the columns the table marks
// searched), as the list shows them, contain the filter's text without regard to letter
// case; when the filter names a timeline period, whose time falls in it;
// and when it names statuses ("status:deleted") or kinds of entry ("kind:cookie"), the
// URL, LEAK and REDR records of one of those statuses and one of those kinds.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "presentation/Columns.h"
#include "presentation/RecordSort.h"
#include "presentation/TimePeriod.h"

namespace tallowmark {

// The columns whose cells a list's filter searches, worked out once for many records.
struct SearchedColumns {
    SearchedColumns(bool isVersion4, ExtraColumns extras);

    struct Searched {
        CellTextOf text;
        std::uint32_t kinds;  // KindsHeld
    };
    // The widest first: their longer texts hold the filter's text more often, which ends
    // the search of a record sooner.
    std::vector<Searched> columns;
    mutable std::string scratch;  // a cell's text the record does not hold as it is
};

class RecordFilter {
public:
    RecordFilter() = default;
    // What the filter field holds (UTF-8): terms at its start, each followed by one space
    // (at most one period term such as "accessed:2008-03-05", and any of "status:NAME" and
    // "kind:NAME" with the names of model/RecordMarks.h and model/EntryKind.h), then the
    // text. A word that is no term begins the text.
    explicit RecordFilter(std::string_view fieldText);

    bool IsEmpty() const {
        return m_needle.empty() && !m_bUnmatchable && !m_period && m_statuses == kAll && m_kinds == kAll;
    }
    const std::optional<TimePeriod>& Period() const { return m_period; }

    // The text alone, the period and terms aside, looked for in the cells of `columns`.
    bool MatchesText(const IndexRecord& record, const SearchedColumns& columns) const;
    bool Matches(const IndexRecord& record, const SearchedColumns& columns) const;
    // Whether every record this filter keeps was also kept by `previous`, so that the
    // previous rows can be filtered again instead of all of them.
    bool Narrows(const RecordFilter& previous) const;

private:
    bool Contains(std::string_view text) const;
    bool RestMatches(const char* start) const;  // the needle after its first byte, from start + 1
    bool TermsMatch(const IndexRecord& record) const;

    static constexpr std::uint32_t kAll = ~0u;

    std::string m_needle;         // Windows-1252 bytes, folded to lower case
    char m_cFirstOtherCase = 0;   // the first byte's other case, or the byte itself
    bool m_bUnmatchable = false;  // the text holds a character no record can show
    std::optional<TimePeriod> m_period;
    std::uint32_t m_statuses = kAll;  // a bit for each RecordStatus kept
    std::uint32_t m_kinds = kAll;     // a bit for each EntryKind kept
};

// The field's text with `period` as its term (or none), keeping the text after it.
std::string WithPeriodTerm(std::string_view fieldText, const std::optional<TimePeriod>& period);
// A click on a timeline bar: filters to its period, or clears it when it is the one in force.
std::string ToggledPeriodTerm(std::string_view fieldText, const TimePeriod& clicked);

// The rows of `ordered` that the filter keeps, in the same order.
RowList FilterRows(const TallowmarkDoc& document, const RowList& ordered, const RecordFilter& filter, bool isVersion4,
                   ExtraColumns extras = {});

}  // namespace tallowmark
