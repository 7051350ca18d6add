#include "presentation/RecordFilter.h"

#include <algorithm>

#include "model/LocalTimeRules.h"
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
    // Horspool's shift table over folded bytes.
    const std::size_t length = m_needle.size();
    m_skip.fill(static_cast<std::uint8_t>(std::min<std::size_t>(length, 255)));
    for (std::size_t i = 0; i + 1 < length; ++i)
        m_skip[static_cast<std::uint8_t>(m_needle[i])] = static_cast<std::uint8_t>(std::min<std::size_t>(length - 1 - i, 255));
}

bool RecordFilter::Contains(std::string_view text) const {
    const std::size_t length = m_needle.size();
    if (length == 0) return true;
    if (text.size() < length) return false;
    const char* needle = m_needle.data();
    const auto last = static_cast<std::uint8_t>(needle[length - 1]);
    for (std::size_t at = 0; at + length <= text.size();) {
        const std::uint8_t end = Fold(text[at + length - 1]);
        if (end == last) {
            std::size_t i = 0;
            while (i + 1 < length && Fold(text[at + i]) == static_cast<std::uint8_t>(needle[i])) ++i;
            if (i + 1 >= length) return true;
        }
        at += m_skip[end];
    }
    return false;
}

bool RecordFilter::MatchesText(const IndexRecord& record, bool isVersion4) const {
    if (m_bUnmatchable) return false;
    if (m_needle.empty()) return true;
    if (Contains(record.UrlText()) || Contains(record.TypeName())) return true;
    // The cache columns show something for "URL" records of files other than version 4 only.
    if (isVersion4 || !record.IsType(kTypeUrl)) return false;
    const auto& url = static_cast<const UrlRecord&>(record);
    return Contains(url.FileNameText()) || Contains(url.CacheDirText());
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
