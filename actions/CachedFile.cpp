#include "actions/CachedFile.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>

#include "platform/NativePath.h"
#include "presentation/AnsiText.h"

namespace tallowmark {

namespace {
namespace fs = std::filesystem;

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

enum class PathKind { File, Folder };

bool IsEntryOfKind(const fs::path& path, PathKind kind) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    return kind == PathKind::Folder ? fs::is_directory(status) : fs::is_regular_file(status);
}

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

// The name under which `folder` (ending in a separator) holds `name`. Index files come
// from Windows, whose names ignore letter case; a copy on a file system that tells case
// apart may differ from the index in case only. Of several such entries the first in
// byte order is taken, so the answer does not depend on the listing's order.
std::optional<std::string> FindEntry(const std::string& folder, const std::string& name, PathKind kind) {
    if (IsEntryOfKind(PathFromUtf8(folder + name), kind)) return name;
    std::optional<std::string> found;
    std::error_code error;
    for (fs::directory_iterator entry(PathFromUtf8(folder), error), end; !error && entry != end;
         entry.increment(error)) {
        const std::string candidate = Utf8FromPath(entry->path().filename());
        if (EqualIgnoringAsciiCase(candidate, name) && (!found || candidate < *found) &&
            IsEntryOfKind(entry->path(), kind))
            found = candidate;
    }
    return found;
}

// The folder that holds the index file, ending in the platform's separator.
std::string IndexFolder(const std::string& indexPath) {
    std::string folder = NativeSeparators(FolderOf(indexPath));
    if (!folder.empty() && folder.back() != kSeparator) folder += kSeparator;
    return folder;
}
}  // namespace

bool IsPlainName(std::string_view name) {
    constexpr std::string_view kRefused = "\\/:*?\"<>|";
    const bool badCharacter = std::ranges::any_of(name, [&](char c) {
        return static_cast<unsigned char>(c) < 0x20 || kRefused.find(c) != std::string_view::npos;
    });
    const bool onlyDotsAndBlanks = name.find_first_not_of(". ") == std::string_view::npos;
    return !badCharacter && !onlyDotsAndBlanks;
}

std::string CachedFilePath(const IndexRecord& record, const std::string& indexPath) {
    const auto url = AsUrlRecord(record);
    if (!url) return {};
    std::string path = IndexFolder(indexPath);
    const std::string_view directory = url->CacheDirText();
    if (!directory.empty()) {
        if (!IsPlainName(directory)) return {};
        const auto found = FindEntry(path, AnsiToUtf8(directory), PathKind::Folder);
        if (!found) return {};
        path += *found + kSeparator;
    }
    const std::string_view fileName = url->FileNameText();
    if (!IsPlainName(fileName)) return {};
    const auto found = FindEntry(path, AnsiToUtf8(fileName), PathKind::File);
    return found ? path + *found : std::string();
}

}  // namespace tallowmark
