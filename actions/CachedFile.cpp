#include "actions/CachedFile.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>
#include <vector>

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

CachedCopy CopyCachedFileFromImage(const IndexRecord& record, const TallowmarkDoc& document,
                                   const std::string& privateFolder, const std::vector<std::string>& openFiles) {
    const FileInImage* origin = document.Origin();
    const std::string inImage = origin ? CachedFilePathInImage(record, origin->Place().path) : std::string();
    if (inImage.empty()) return {Outcome::Failure(kNoCachedCopyNamed), {}};
    const std::unique_ptr<ByteSource> source = origin->OpenInSameFileSystem(inImage);
    if (!source) return {Outcome::Failure(FormatMessage(kCachedCopyNotInImage, inImage)), {}};
    if (privateFolder.empty()) return {Outcome::Failure(kNoFolderForCachedCopy), {}};
    // A folder of its own for each copy: copies of the same name never meet.
    std::error_code error;
    fs::path folder;
    for (unsigned n = 1;; ++n) {
        folder = PathFromUtf8(privateFolder) / std::to_string(n);
        if (fs::create_directory(folder, error)) break;
        if (error) return {Outcome::Failure(kNoFolderForCachedCopy), {}};
    }
    // The name passed IsPlainName: it stays inside the folder.
    const std::string target = NativeSeparators(Utf8FromPath(folder / PathFromUtf8(FileNameOf(inImage))));
    // A read that fails midway ends the output before it is committed: nothing is left.
    struct ReadFailed {};
    Outcome written;
    try {
        written = WriteUserFile(target, document.InputsWith(openFiles), [&](std::ostream& out) {
            std::vector<std::uint8_t> piece(1 << 20);
            for (std::uint64_t at = 0; at < source->Length();) {
                std::size_t got = 0;
                if (!source->ReadAt(at, piece.data(), piece.size(), got) || got == 0) throw ReadFailed{};
                out.write(reinterpret_cast<const char*>(piece.data()), static_cast<std::streamsize>(got));
                at += got;
            }
        });
    } catch (const ReadFailed&) {
        written = Outcome::Failure(FormatMessage(kCachedCopyUnreadable, inImage));
    }
    if (!written) return {written, {}};
    return {Outcome::Success(), target};
}

std::string CachedFilePathInImage(const IndexRecord& record, const std::string& indexPath) {
    const auto url = AsUrlRecord(record);
    if (!url) return {};
    const std::string_view directory = url->CacheDirText();
    const std::string_view fileName = url->FileNameText();
    if ((!directory.empty() && !IsPlainName(directory)) || !IsPlainName(fileName)) return {};
    std::string path = indexPath.substr(0, indexPath.rfind('/') + 1);
    if (!directory.empty()) path += AnsiToUtf8(directory) + '/';
    return path + AnsiToUtf8(fileName);
}

}  // namespace tallowmark
