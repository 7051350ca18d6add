#include "platform/BootDeletion.h"

#include <cerrno>
#include <string_view>

#include "platform/ReadOnlyFile.h"
#include "platform/posix/ReplaceFile.h"
#include "platform/posix/TmpfilesEntries.h"

namespace tallowmark::platform {

namespace {
constexpr const char* kEntriesFile = "/etc/tmpfiles.d/tallowmark-delete.conf";
constexpr const char* kHeader =
    "# Files Tallowmark was asked to delete when the system restarts.\n"
    "# The first entry removes this file too, so each request is carried out once.\n";

std::string EntriesFile(const std::string& root) {
    std::string_view base = root;
    while (!base.empty() && base.back() == '/') base.remove_suffix(1);
    return std::string(base) + kEntriesFile;
}

struct Entries {
    bool readable = true;
    bool deniedAccess = false;
    std::string text;
};

Entries ReadEntries(const std::string& root) {
    const FileContents contents = ReadWholeFile(EntriesFile(root));
    if (contents.error == FileError::NotFound) return {};
    if (contents.error != FileError::None) return {false, contents.error == FileError::AccessDenied, {}};
    return {true, false, std::string(reinterpret_cast<const char*>(contents.bytes.get()), contents.size)};
}

bool Lists(std::string_view text, const std::string& path) {
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        if (tmpfiles::RemovedPath(text.substr(0, end)) == path) return true;
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return false;
}

Outcome Failure(const char* pattern, const std::string& path) { return Outcome::Failure(FormatMessage(pattern, path)); }

bool NeedsRights(int error) { return error == EACCES || error == EPERM || error == EROFS; }
}  // namespace

std::string SystemBootDeletionRoot() { return "/"; }

Outcome ScheduleDeletionAtBoot(const std::string& path, const std::string& root) {
    if (tmpfiles::HasControlCharacter(path)) return Failure(kBootDeletionBadName, path);
    const auto line = tmpfiles::RemovalLine(path);
    if (!line) return Failure(kBootDeletionFailed, path);
    const Entries entries = ReadEntries(root);
    if (!entries.readable) return Failure(entries.deniedAccess ? kBootDeletionNeedsRights : kBootDeletionFailed, path);
    if (Lists(entries.text, path)) return Outcome::Success();

    std::string text = entries.text;
    if (text.empty()) text = std::string(kHeader) + *tmpfiles::RemovalLine(kEntriesFile) + '\n';
    else if (text.back() != '\n')
        text += '\n';
    text += *line + '\n';
    if (const int error = ReplaceFile(EntriesFile(root), text, 0644))
        return Failure(NeedsRights(error) ? kBootDeletionNeedsRights : kBootDeletionFailed, path);
    return Outcome::Success();
}

bool IsScheduledForDeletionAtBoot(const std::string& path, const std::string& root) {
    const Entries entries = ReadEntries(root);
    return entries.readable && Lists(entries.text, path);
}

}  // namespace tallowmark::platform
