#pragma once
// Asking the system to delete a file the next time it starts.
//
// `root` is where the system keeps its pending deletions, so tests can use a scratch
// place. Here it is a file-system root: the entries live in
// ROOT/etc/tmpfiles.d/tallowmark-delete.conf, one `r "PATH"` line per file, and the
// system's tmpfiles service removes the files early at the next boot; PATH is taken
// below ROOT, as that service takes it. On Windows it is the path of a registry key
// under HKEY_LOCAL_MACHINE whose value "PendingFileRenameOperations" holds the requests.

#include <optional>
#include <string>
#include <utility>

#include "platform/FileIdentity.h"

namespace tallowmark::platform {

// Why a request was not recorded; the words for the user are chosen above this layer.
enum class BootDeletionError {
    None,
    Failed,       // the entries could not be read or written
    NeedsRights,  // only an administrator may record them
    BadName,      // the path holds a control character
    // Someone other than root (or whoever asks) could change `folder` on the path, and
    // so swap a folder of the path for a link before the boot's removal follows it.
    ChangeableFolder,
    LinkOnPath,  // `folder` on the path is a link, which the boot's removal would follow
    // `folder`, a link on the path the document was read from, could be pointed at
    // another file by someone other than root (or whoever asks).
    ChangeableLink,
    NotTheFileOpened,  // the path no longer names the file that was read
};

struct BootDeletionResult {
    BootDeletionResult() = default;
    BootDeletionResult(BootDeletionError kind, std::string folderName = {}, std::string ownerName = {})
        : error(kind), folder(std::move(folderName)), owner(std::move(ownerName)) {}

    BootDeletionError error = BootDeletionError::None;
    std::string folder;  // ChangeableFolder, LinkOnPath, ChangeableLink: the folder or link as the path names it
    std::string owner;   // ChangeableFolder: its owner's name (the number when it has none)
    explicit operator bool() const { return error == BootDeletionError::None; }
};

// The place the running system reads at boot ("/" here; the Session Manager key on Windows).
std::string SystemBootDeletionRoot();

// The file a document read from `path` (absolute) is now, every link on the way followed:
// the file to delete for it. Refused with ChangeableLink when the path runs through a link
// that someone other than root (or whoever asks) could point elsewhere, the link itself or
// a folder above it being theirs to change; with NotTheFileOpened when the file found is
// not `identity`, the one that was read, or when there is none. `file` is set on success.
struct OpenedFile {
    BootDeletionResult result;
    std::string file = {};
};
OpenedFile ResolveOpenedFile(const std::string& path, const std::optional<FileIdentity>& identity);

// How the entries below `root` name `file` (a path of this machine): on Windows the path
// itself; here the part of it below ROOT, the whole path for "/". Empty for a file outside.
std::string BootEntryFor(const std::string& file, const std::string& root);

// Adds an entry that deletes exactly `path` (UTF-8 on Windows, the system's bytes here;
// absolute) at the next boot, keeping every entry already there, also when several
// requests come at once. Refuses a path whose folders someone else could change; fails
// when the entry can't be recorded (no rights, unwritable place) or when the path holds
// a control character. Nothing recorded before is lost or half-written.
BootDeletionResult ScheduleDeletionAtBoot(const std::string& path, const std::string& root);

// True when an entry deletes exactly `path`: not a longer path that contains it, not a
// rename, not another file's entry. Reads the outside state afresh on every call; an
// unreadable or damaged store counts as nothing scheduled.
bool IsScheduledForDeletionAtBoot(const std::string& path, const std::string& root);

}  // namespace tallowmark::platform
