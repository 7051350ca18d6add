#pragma once
// Asking the system to delete a file the next time it starts.
//
// `root` is where the system keeps its pending deletions, so tests can use a scratch
// place. Here it is a file-system root: the entries live in
// ROOT/etc/tmpfiles.d/tallowmark-delete.conf, one `r "PATH"` line per file, and the
// system's tmpfiles service removes the files early at the next boot. On Windows it is
// the path of a registry key under HKEY_LOCAL_MACHINE whose value
// "PendingFileRenameOperations" holds the requests.

#include <string>

#include "model/Outcome.h"

namespace tallowmark::platform {

// The place the running system reads at boot ("/" here; the Session Manager key on Windows).
std::string SystemBootDeletionRoot();

// Adds an entry that deletes exactly `path` (UTF-8, absolute) at the next boot, keeping
// every entry already there. Fails, with a message that names the file, when the entry
// can't be recorded (no rights, unwritable place) or when the path holds a control
// character; nothing recorded before is lost or half-written.
Outcome ScheduleDeletionAtBoot(const std::string& path, const std::string& root);

// True when an entry deletes exactly `path`: not a longer path that contains it, not a
// rename, not another file's entry. Reads the outside state afresh on every call; an
// unreadable or damaged store counts as nothing scheduled.
bool IsScheduledForDeletionAtBoot(const std::string& path, const std::string& root);

// Message texts; "%1" is the file's path.
inline constexpr const char* kBootDeletionFailed = "%1 could not be scheduled for deletion when the system restarts.";
inline constexpr const char* kBootDeletionNeedsRights =
    "%1 could not be scheduled for deletion when the system restarts: administrator rights are needed.";
inline constexpr const char* kBootDeletionBadName =
    "%1 could not be scheduled for deletion when the system restarts: its name holds a control character.";

}  // namespace tallowmark::platform
