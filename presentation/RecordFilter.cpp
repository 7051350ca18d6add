#include "presentation/RecordFilter.h"

#include <algorithm>
#include <cstring>

#include <vector>

#include "model/LocalTimeRules.h"
#include "model/RecordEvidence.h"
#include "presentation/AnsiText.h"

namespace tallowmark {

namespace {
// Windows-1252 lower case: ASCII, the Latin-1 letters and the four pairs in 0x80-0x9F.
constexpr std::array<std::uint8_t, 256> kFolded = [] {
    std::array<std::uint8_t, 256> folded{};
    for (int byte = 0; byte < 256; ++byte) {
        const bool upper = (byte >= 'A' && byte <= 'Z') || (byte >= 0xC0 && byte <= 0xDE && byte != 0xD7);
        folded[static_cast<std::size_t>(byte)] = static_cast<std::uint8_t>(upper ? byte + 32 : byte);
    }
    folded[0x8A] = 0x9A;
    folded[0x8C] = 0x9C;
    folded[0x8E] = 0x9E;
    folded[0x9F] = 0xFF;
    return folded;
}();

std::uint8_t Fold(char c) { return kFolded[static_cast<std::uint8_t>(c)]; }

constexpr std::string_view kStatusPrefix = "status:", kKindPrefix = "kind:";

std::optional<RecordStatus> StatusNamed(std::string_view name) {
    for (const RecordStatus status : {RecordStatus::Live, RecordStatus::Deleted, RecordStatus::Unknown})
        if (StatusName(status) == name) return status;
    return std::nullopt;
}

// The bit of the status or kind a "status:" or "kind:" term names, or 0 for any other word.
struct TermBit {
    bool isKind = false;
    std::uint32_t bit = 0;
};
TermBit TermBitOf(std::string_view word) {
    if (word.starts_with(kStatusPrefix)) {
        const auto status = StatusNamed(word.substr(kStatusPrefix.size()));
        return {false, status ? 1u << static_cast<unsigned>(*status) : 0u};
    }
    if (word.starts_with(kKindPrefix)) {
        const auto kind = EntryKindNamed(word.substr(kKindPrefix.size()));
        return {true, kind ? 1u << static_cast<unsigned>(*kind) : 0u};
    }
    return {};
}

// The terms at the start of the field, and the text after them.
struct FieldParts {
    std::optional<TimePeriod> period;
    std::vector<std::string_view> otherTerms;  // as typed, in order
    std::string_view text;
};

FieldParts SplitField(std::string_view fieldText) {
    FieldParts parts;
    std::string_view rest = fieldText;
    while (!rest.empty()) {
        const std::size_t space = rest.find(' ');
        const std::string_view word = rest.substr(0, space);
        const std::optional<TimePeriod> period = parts.period ? std::nullopt : ParsePeriodTerm(word);
        if (period) parts.period = period;
        else if (TermBitOf(word).bit)
            parts.otherTerms.push_back(word);
        else
            break;
        rest = space == std::string_view::npos ? std::string_view() : rest.substr(space + 1);
    }
    parts.text = rest;
    return parts;
}
}  // namespace

RecordFilter::RecordFilter(std::string_view fieldText) {
    const FieldParts parts = SplitField(fieldText);
    m_period = parts.period;
    std::uint32_t statuses = 0, kinds = 0;
    for (const std::string_view term : parts.otherTerms) {
        const TermBit bit = TermBitOf(term);
        (bit.isKind ? kinds : statuses) |= bit.bit;
    }
    if (statuses) m_statuses = statuses;
    if (kinds) m_kinds = kinds;
    const std::string_view text = parts.text;
    const std::optional<std::string> bytes = Utf8ToWindows1252(text);
    if (!bytes) {
        m_bUnmatchable = true;
        return;
    }
    m_needle.reserve(bytes->size());
    for (char c : *bytes) m_needle += static_cast<char>(Fold(c));
    if (m_needle.empty()) return;
    // The other byte, if any, that folds to the same first byte ('M' for 'm').
    const auto first = static_cast<std::uint8_t>(m_needle[0]);
    m_cFirstOtherCase = m_needle[0];
    for (int byte = 0; byte < 256; ++byte)
        if (byte != first && kFolded[static_cast<std::size_t>(byte)] == first)
            m_cFirstOtherCase = static_cast<char>(byte);
}

bool RecordFilter::RestMatches(const char* start) const {
    for (std::size_t i = 1; i < m_needle.size(); ++i)
        if (Fold(start[i]) != static_cast<std::uint8_t>(m_needle[i])) return false;
    return true;
}

// Finds the first byte in either case with memchr, which scans far faster than folding
// every byte, and compares the rest there.
bool RecordFilter::Contains(std::string_view text) const {
    if (m_needle.empty()) return true;
    if (text.size() < m_needle.size()) return false;
    const char* const last = text.data() + (text.size() - m_needle.size()) + 1;  // one past the last start
    auto find = [last](const char* from, char byte) -> const char* {
        return from < last ? static_cast<const char*>(std::memchr(from, byte, static_cast<std::size_t>(last - from)))
                           : nullptr;
    };
    const char first = m_needle[0];
    const char* lower = find(text.data(), first);
    const char* upper = m_cFirstOtherCase != first ? find(text.data(), m_cFirstOtherCase) : nullptr;
    while (lower || upper) {
        const bool takeLower = lower && (!upper || lower < upper);
        const char* at = takeLower ? lower : upper;
        if (RestMatches(at)) return true;
        if (takeLower) lower = find(at + 1, first);
        else
            upper = find(at + 1, m_cFirstOtherCase);
    }
    return false;
}

SearchedColumns::SearchedColumns(bool isVersion4, ExtraColumns extras) {
    std::vector<const Column*> shown;
    for (int column : ShownColumns(isVersion4, extras))
        if (const Column* info = ColumnOf(column); info->searched) shown.push_back(info);
    std::stable_sort(shown.begin(), shown.end(), [](const Column* a, const Column* b) { return a->width > b->width; });
    for (const Column* column : shown) columns.push_back({column->text, KindsHeld(column->holds)});
}

bool RecordFilter::MatchesText(const IndexRecord& record, const SearchedColumns& columns) const {
    if (m_bUnmatchable) return false;
    if (m_needle.empty()) return true;
    // The columns are those shown: a cell is empty only where its column holds no such record.
    const std::uint32_t kind = KindBit(record.Kind());
    auto found = [&](const SearchedColumns::Searched& column) {
        if (!(column.kinds & kind)) return false;
        const std::string_view text = column.text(record, columns.scratch);
        return text.size() >= m_needle.size() && Contains(text);  // a shorter text cannot hold it
    };
    // The first columns each have a call of their own, whose target the processor learns:
    // one call that takes each column's function in turn is mispredicted record after record.
    const std::vector<SearchedColumns::Searched>& searched = columns.columns;
    const std::size_t count = searched.size();
    if ((count > 0 && found(searched[0])) || (count > 1 && found(searched[1])) || (count > 2 && found(searched[2])) ||
        (count > 3 && found(searched[3])))
        return true;
    for (std::size_t i = 4; i < count; ++i)
        if (found(searched[i])) return true;
    return false;
}

bool RecordFilter::TermsMatch(const IndexRecord& record) const {
    if (m_statuses == kAll && m_kinds == kAll) return true;
    if (!CarriesEvidence(record)) return false;
    const RecordMarks marks = record.Marks();
    return (m_statuses >> static_cast<unsigned>(marks.Status()) & 1u) &&
           (m_kinds >> static_cast<unsigned>(marks.Kind()) & 1u);
}

bool RecordFilter::Matches(const IndexRecord& record, const SearchedColumns& columns) const {
    if (!TermsMatch(record) || !MatchesText(record, columns)) return false;
    if (!m_period) return true;
    const std::optional<TimeValue> time = TimelineTime(record, m_period->basis);
    const std::optional<std::int64_t> day = time ? ShownDay(*time) : std::nullopt;
    return day && m_period->Contains(*day);
}

bool RecordFilter::Narrows(const RecordFilter& previous) const {
    if (previous.m_bUnmatchable || previous.m_period != m_period) return false;
    // Every status and kind kept now was kept before.
    if ((m_statuses & ~previous.m_statuses) || (m_kinds & ~previous.m_kinds)) return false;
    return m_bUnmatchable || m_needle.find(previous.m_needle) != std::string::npos;
}

std::string WithPeriodTerm(std::string_view fieldText, const std::optional<TimePeriod>& period) {
    const FieldParts parts = SplitField(fieldText);
    std::string field = period ? PeriodTerm(*period) : std::string();
    for (const std::string_view term : parts.otherTerms) (field.empty() ? field : field.append(" ")).append(term);
    if (!parts.text.empty()) (field.empty() ? field : field.append(" ")).append(parts.text);
    return field;
}

std::string ToggledPeriodTerm(std::string_view fieldText, const TimePeriod& clicked) {
    const bool inForce = SplitField(fieldText).period == clicked;
    return WithPeriodTerm(fieldText, inForce ? std::nullopt : std::optional<TimePeriod>(clicked));
}

RowList FilterRows(const TallowmarkDoc& document, const RowList& ordered, const RecordFilter& filter, bool isVersion4,
                   ExtraColumns extras) {
    if (filter.IsEmpty()) return ordered;
    const LocalTimeBatch sameZoneThroughout;
    const SearchedColumns searched(isVersion4, extras);
    RowList kept;
    for (std::uint32_t row : ordered)
        if (filter.Matches(document.Record(row), searched)) kept.push_back(row);
    return kept;
}

}  // namespace tallowmark
