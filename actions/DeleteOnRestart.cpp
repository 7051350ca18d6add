#include "actions/DeleteOnRestart.h"

#include "platform/NativePath.h"
#include "model/Outcome.h"
#include "presentation/PathText.h"

namespace tallowmark {

std::string BootDeletionMessage(const platform::BootDeletionResult& result, const std::string& path) {
    const char* pattern = nullptr;
    switch (result.error) {
        case platform::BootDeletionError::None: return {};
        case platform::BootDeletionError::Failed: pattern = kBootDeletionFailed; break;
        case platform::BootDeletionError::NeedsRights: pattern = kBootDeletionNeedsRights; break;
        case platform::BootDeletionError::BadName: pattern = kBootDeletionBadName; break;
        case platform::BootDeletionError::ChangeableFolder: pattern = kBootDeletionChangeableFolder; break;
        case platform::BootDeletionError::LinkOnPath: pattern = kBootDeletionLinkOnPath; break;
        case platform::BootDeletionError::ChangeableLink: pattern = kBootDeletionChangeableLink; break;
        case platform::BootDeletionError::NotTheFileOpened: pattern = kBootDeletionNotTheFileOpened; break;
    }
    return FormatMessage(pattern, {PathDisplayText(NativeSeparators(path)), PathDisplayText(result.folder),
                                   PathDisplayText(result.owner)});
}

std::string FileToDeleteOnRestart(const std::string& documentPath) {
    const std::string canonical = CanonicalPath(documentPath);
    return canonical.empty() ? documentPath : NativeSeparators(canonical);
}

std::string ScheduleDeleteOnRestart(const std::string& documentPath,
                                    const std::optional<platform::FileIdentity>& identity, const std::string& root) {
    const platform::OpenedFile opened = platform::ResolveOpenedFile(AbsolutePath(documentPath), identity);
    if (!opened.result) return BootDeletionMessage(opened.result, documentPath);
    const std::string entry = platform::BootEntryFor(opened.file, root);
    if (entry.empty()) return BootDeletionMessage({platform::BootDeletionError::Failed}, opened.file);
    return BootDeletionMessage(platform::ScheduleDeletionAtBoot(entry, root), opened.file);
}

bool IsDeleteOnRestartScheduled(const std::string& documentPath, const std::string& root) {
    const std::string entry = platform::BootEntryFor(FileToDeleteOnRestart(documentPath), root);
    return !entry.empty() && platform::IsScheduledForDeletionAtBoot(entry, root);
}

}  // namespace tallowmark
