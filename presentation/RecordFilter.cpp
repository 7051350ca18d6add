#include "presentation/RecordFilter.h"

#include <algorithm>
#include <cstring>

#include "model/LocalTimeRules.h"
#include "presentation/AnsiText.h"
#include "presentation/RecordCells.h"

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

// The period term at the start of the field and the text after it.
std::pair<std::optional<TimePeriod>, std::string_view> SplitField(std::string_view fieldText) {
    const std::size_t space = fieldText.find(' ');
    const std::optional<TimePeriod> period = ParsePeriodTerm(fieldText.substr(0, space));
    if (!period) return {std::nullopt, fieldText};
    return {period, space == std::string_view::npos ? std::string_view() : fieldText.substr(space + 1)};
}
}  // namespace

RecordFilter::RecordFilter(std::string_view fieldText) {
    const auto [period, text] = SplitField(fieldText);
    m_period = period;
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

bool RecordFilter::MatchesText(const IndexRecord& record, bool isVersion4) const {
    if (m_bUnmatchable) return false;
    if (m_needle.empty()) return true;
    if (Contains(record.UrlText()) || Contains(record.TypeName())) return true;
    const UrlRecord* cached = WithCacheColumns(record, isVersion4);
    return cached && (Contains(cached->FileNameText()) || Contains(cached->CacheDirText()));
}

bool RecordFilter::Matches(const IndexRecord& record, bool isVersion4) const {
    if (!MatchesText(record, isVersion4)) return false;
    if (!m_period) return true;
    const std::optional<TimeValue> time = TimelineTime(record, m_period->basis);
    const std::optional<std::int64_t> day = time ? ShownDay(*time) : std::nullopt;
    return day && m_period->Contains(*day);
}

bool RecordFilter::Narrows(const RecordFilter& previous) const {
    if (previous.m_bUnmatchable || previous.m_period != m_period) return false;
    return m_bUnmatchable || m_needle.find(previous.m_needle) != std::string::npos;
}

std::string WithPeriodTerm(std::string_view fieldText, const std::optional<TimePeriod>& period) {
    const std::string_view text = SplitField(fieldText).second;
    if (!period) return std::string(text);
    std::string field = PeriodTerm(*period);
    if (!text.empty()) field.append(" ").append(text);
    return field;
}

std::string ToggledPeriodTerm(std::string_view fieldText, const TimePeriod& clicked) {
    const bool inForce = SplitField(fieldText).first == clicked;
    return WithPeriodTerm(fieldText, inForce ? std::nullopt : std::optional<TimePeriod>(clicked));
}

RowList FilterRows(const RowList& ordered, const RecordFilter& filter, bool isVersion4) {
    if (filter.IsEmpty()) return ordered;
    const LocalTimeBatch sameZoneThroughout;
    RowList kept;
    for (const IndexRecord* record : ordered)
        if (filter.Matches(*record, isVersion4)) kept.push_back(record);
    return kept;
}

}  // namespace tallowmark
