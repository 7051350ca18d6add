#pragma once
// What an entry is a record of, told by the prefix of its URL text: a cached page, a
// cookie, a visit in the history (the main one, or a day's or a week's), or one of the
// browser's other stores. Every reader asks here rather than looking at the prefix.

#include <cstdint>
#include <optional>
#include <string_view>

namespace tallowmark {

enum class EntryKind : std::uint8_t {
    Cache,  // http:, https:, res:, file:, any other text, or none
    Cookie,
    History,
    HistoryDaily,
    HistoryWeekly,
    IeDownload,
    PrivacIE,
    IeCompat,
    IeTld,
    FeedPlat,
    UserData,
    DomStore,
};
inline constexpr std::size_t kEntryKindCount = 12;

EntryKind EntryKindOf(std::string_view urlText);
// Whether a text that starts with `first` is a cached page's, whatever follows (http:,
// https:, res:, or no text at all): no other kind's prefix starts so.
constexpr bool IsCachedPageLetter(char first) {
    return first == '\0' || first == 'h' || first == 'H' || first == 'r' || first == 'R';
}
// "cache", "cookie", "history", "history-daily", … as the timeline and info write them.
std::string_view EntryKindName(EntryKind kind);
std::optional<EntryKind> EntryKindNamed(std::string_view name);

// The user name the text carries between its prefix and the first "@"; empty for cache
// entries and texts that carry none.
std::string_view UserOf(std::string_view urlText, EntryKind kind);

}  // namespace tallowmark
