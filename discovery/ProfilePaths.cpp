#include "discovery/ProfilePaths.h"

#include <algorithm>
#include <array>
#include <vector>

#include "discovery/IndexFileSearch.h"

namespace tallowmark {

namespace {
char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) { return Lower(x) == Lower(y); });
}

bool StartsWith(std::string_view name, std::string_view prefix) {
    return name.size() >= prefix.size() && SameName(name.substr(0, prefix.size()), prefix);
}

std::vector<std::string_view> NamesOf(std::string_view path) {
    std::vector<std::string_view> names;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '/' || path[i] == '\\') {
            if (i > start) names.push_back(path.substr(start, i - start));
            start = i + 1;
        }
    }
    return names;
}

// The profile folders of the system and its services, each by the names that lead to it.
struct SystemProfile {
    std::array<std::string_view, 3> parents;
};
constexpr std::array<SystemProfile, 4> kSystemProfiles = {{
    {{"System32", "config", "systemprofile"}},
    {{"SysWOW64", "config", "systemprofile"}},
    {{"ServiceProfiles", "LocalService", {}}},
    {{"ServiceProfiles", "NetworkService", {}}},
}};

std::string UserOfPath(const std::vector<std::string_view>& names) {
    // The last name is the file's own; a profile is a folder above it.
    for (std::size_t i = 0; i + 2 < names.size(); ++i) {
        if (SameName(names[i], "Documents and Settings") || SameName(names[i], "Users")) return std::string(names[i + 1]);
        for (const SystemProfile& profile : kSystemProfiles) {
            const std::size_t count = profile.parents[2].empty() ? 2 : 3;
            if (i + count >= names.size()) continue;
            bool matches = true;
            for (std::size_t k = 0; k < count && matches; ++k) matches = SameName(names[i + k], profile.parents[k]);
            if (matches) return std::string(names[i + count - 1]);
        }
    }
    return {};
}

struct StoreFolder {
    std::string_view name;
    EntryKind kind;
};
constexpr std::array<StoreFolder, 11> kStoreFolders = {{
    {"Content.IE5", EntryKind::Cache},
    {"History.IE5", EntryKind::History},
    {"Cookies", EntryKind::Cookie},
    {"IEDownloadHistory", EntryKind::IeDownload},
    {"IECompatCache", EntryKind::IeCompat},
    {"IECompatUACache", EntryKind::IeCompat},
    {"DOMStore", EntryKind::DomStore},
    {"Feeds Cache", EntryKind::FeedPlat},
    {"PrivacIE", EntryKind::PrivacIE},
    {"IETldCache", EntryKind::IeTld},
    {"UserData", EntryKind::UserData},
}};

// A history period's folder, "MSHist01" and the range "YYYYMMDDYYYYMMDD": its records
// carry that range as their prefix, which tells a day from a week.
constexpr std::string_view kHistoryPeriodPrefix = "MSHist01";

std::optional<EntryKind> RoleOfFolder(std::string_view folder) {
    if (StartsWith(folder, kHistoryPeriodPrefix) && folder.size() == kHistoryPeriodPrefix.size() + 16) {
        const std::string range = ':' + std::string(folder.substr(kHistoryPeriodPrefix.size())) + ": ";
        const EntryKind kind = EntryKindOf(range);
        if (kind == EntryKind::HistoryDaily || kind == EntryKind::HistoryWeekly) return kind;
        return std::nullopt;
    }
    for (const StoreFolder& store : kStoreFolders)
        if (SameName(folder, store.name)) return store.kind;
    return std::nullopt;
}
}  // namespace

ProfilePathFacts ProfilePathFactsOf(std::string_view path) {
    const std::vector<std::string_view> names = NamesOf(path);
    ProfilePathFacts facts;
    facts.user = UserOfPath(names);
    if (names.size() < 2) return facts;
    // The nearest folder above the file that is not "Low" names the store.
    for (std::size_t i = names.size() - 1; i-- > 0;) {
        if (SameName(names[i], "Low")) {
            facts.lowIntegrity = true;
            continue;
        }
        facts.role = RoleOfFolder(names[i]);
        break;
    }
    // "Temporary Internet Files\Low\Content.IE5": the Low lies above the store's folder.
    if (!facts.lowIntegrity)
        facts.lowIntegrity = std::any_of(names.begin(), names.end() - 1, [](std::string_view n) { return SameName(n, "Low"); });
    return facts;
}

std::string RoleText(const ProfilePathFacts& facts) {
    if (!facts.role) return {};
    std::string text(EntryKindName(*facts.role));
    if (facts.lowIntegrity) text += ", low integrity";
    return text;
}

bool IsIndexFileNameInImage(std::string_view name, bool deleted) {
    if (IsIndexFileName(name)) return true;
    return deleted && name.size() == 9 && SameName(name.substr(1), "ndex.dat");
}

}  // namespace tallowmark
