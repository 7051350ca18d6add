#pragma once
// Asking the system to delete a file the next time it starts.
//
// `root` is where the system keeps its pending deletions, so tests can use a scratch
// place. Here it is a file-system root: the entries live in
// ROOT/etc/tmpfiles.d/tallowmark-delete.conf, one `r "PATH"` line per file, and the
// system's tmpfiles service removes the files early at the next boot; PATH is taken
// below ROOT, as that service takes it. On Windows it is the path of a registry key
// under HKEY_LOCAL_MACHINE whose value "PendingFileRenameOperations" holds the requests.

#include <string>

namespace tallowmark::platform {

// Why a request was not recorded; the words for the user are chosen above this layer.
enum class BootDeletionError {
    None,
    Failed,       // the entries could not be read or written
    NeedsRights,  // only an administrator may record them
    BadName,      // the path holds a control character
};

struct BootDeletionResult {
    BootDeletionResult() = default;
    BootDeletionResult(BootDeletionError kind) : error(kind) {}

    BootDeletionError error = BootDeletionError::None;
    explicit operator bool() const { return error == BootDeletionError::None; }
};

// The place the running system reads at boot ("/" here; the Session Manager key on Windows).
std::string SystemBootDeletionRoot();

// Adds an entry that deletes exactly `path` (UTF-8 on Windows, the system's bytes here;
// absolute) at the next boot, keeping every entry already there, also when several
// requests come at once. Fails when the entry can't be recorded (no rights, unwritable
// place) or when the path holds a control character. Nothing recorded before is lost or
// half-written.
BootDeletionResult ScheduleDeletionAtBoot(const std::string& path, const std::string& root);

// True when an entry deletes exactly `path`: not a longer path that contains it, not a
// rename, not another file's entry. Reads the outside state afresh on every call; an
// unreadable or damaged store counts as nothing scheduled.
bool IsScheduledForDeletionAtBoot(const std::string& path, const std::string& root);

}  // namespace tallowmark::platform
