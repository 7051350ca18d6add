#include "model/EntryKind.h"

#include <algorithm>
#include <array>

#include "model/Calendar.h"

namespace tallowmark {

namespace {
struct KindPrefix {
    EntryKind kind;
    std::string_view name;
    std::string_view prefix;  // compared without regard to letter case; empty: not by prefix
};

constexpr std::array<KindPrefix, kEntryKindCount> kKinds = {{
    {EntryKind::Cache, "cache", {}},
    {EntryKind::Cookie, "cookie", "Cookie:"},
    {EntryKind::History, "history", "Visited:"},
    {EntryKind::HistoryDaily, "history-daily", {}},
    {EntryKind::HistoryWeekly, "history-weekly", {}},
    {EntryKind::IeDownload, "iedownload", "iedownload:"},
    {EntryKind::PrivacIE, "privacie", "PrivacIE:"},
    {EntryKind::IeCompat, "iecompat", "iecompat:"},
    {EntryKind::IeTld, "ietld", "ietld:"},
    {EntryKind::FeedPlat, "feedplat", "feedplat:"},
    {EntryKind::UserData, "userdata", "userdata:"},
    {EntryKind::DomStore, "domstore", "DOMStore:"},
}};

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (Lower(text[i]) != Lower(prefix[i])) return false;
    return true;
}

// ":YYYYMMDDYYYYMMDD:", the range of days a dated history container covers.
constexpr std::size_t kDatedPrefixLength = 18;

std::optional<std::int64_t> DayOf(std::string_view digits) {
    int value[3] = {0, 0, 0};
    const std::size_t widths[3] = {4, 2, 2};
    std::size_t at = 0;
    for (int part = 0; part < 3; ++part) {
        for (std::size_t i = 0; i < widths[part]; ++i, ++at) {
            if (digits[at] < '0' || digits[at] > '9') return std::nullopt;
            value[part] = value[part] * 10 + (digits[at] - '0');
        }
    }
    if (value[1] < 1 || value[1] > 12 || value[2] < 1 || value[2] > 31) return std::nullopt;
    return DaysFromCivil(value[0], static_cast<unsigned>(value[1]), static_cast<unsigned>(value[2]));
}

// The days a dated prefix spans, or nullopt when the text has none.
std::optional<std::int64_t> DatedRange(std::string_view text) {
    if (text.size() < kDatedPrefixLength || text[0] != ':' || text[kDatedPrefixLength - 1] != ':') return std::nullopt;
    const auto from = DayOf(text.substr(1, 8)), to = DayOf(text.substr(9, 8));
    if (!from || !to || *to <= *from) return std::nullopt;
    return *to - *from;
}

std::size_t PrefixLength(EntryKind kind) {
    if (kind == EntryKind::HistoryDaily || kind == EntryKind::HistoryWeekly) return kDatedPrefixLength;
    return kKinds[static_cast<std::size_t>(kind)].prefix.size();
}
}  // namespace

EntryKind EntryKindOf(std::string_view urlText) {
    if (urlText.empty() || IsCachedPageLetter(urlText[0])) return EntryKind::Cache;
    if (const auto days = DatedRange(urlText)) return *days == 7 ? EntryKind::HistoryWeekly : EntryKind::HistoryDaily;
    for (const KindPrefix& kind : kKinds)
        if (!kind.prefix.empty() && StartsWithIgnoringCase(urlText, kind.prefix)) return kind.kind;
    return EntryKind::Cache;
}

std::string_view EntryKindName(EntryKind kind) { return kKinds[static_cast<std::size_t>(kind)].name; }

std::optional<EntryKind> EntryKindNamed(std::string_view name) {
    for (const KindPrefix& kind : kKinds)
        if (kind.name == name) return kind.kind;
    return std::nullopt;
}

std::string_view UserOf(std::string_view urlText, EntryKind kind) {
    if (kind == EntryKind::Cache) return {};
    std::string_view rest = urlText.substr(std::min(urlText.size(), PrefixLength(kind)));
    while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
    const std::size_t at = rest.find('@');
    // A name holds no "/" or ":": a text whose first "@" comes later carries no user.
    if (at == std::string_view::npos || rest.substr(0, at).find_first_of("/:") != std::string_view::npos) return {};
    return rest.substr(0, at);
}

}  // namespace tallowmark
