#pragma once
// Delete on Restart: which file the system is asked to delete at its next start, and
// what the user reads when it did not take the request.

#include <string>

#include "model/Outcome.h"
#include "platform/BootDeletion.h"

namespace tallowmark {

// "%1" is the file; "%2" the folder and "%3" its owner, where the message names them.
inline constexpr const char* kBootDeletionFailed = "%1 could not be scheduled for deletion when the system restarts.";
inline constexpr const char* kBootDeletionNeedsRights =
    "%1 could not be scheduled for deletion when the system restarts: administrator rights are needed.";
inline constexpr const char* kBootDeletionBadName =
    "%1 could not be scheduled for deletion when the system restarts: its name holds a control character.";
inline constexpr const char* kBootDeletionChangeableFolder =
    "%1 could not be scheduled for deletion when the system restarts: the folder %2 (owner: %3) can be changed by "
    "users other than root, who could have another file deleted in its place.";
inline constexpr const char* kBootDeletionLinkOnPath =
    "%1 could not be scheduled for deletion when the system restarts: %2 on its path is a link, through which "
    "another file could be deleted in its place.";

// The message for `path` (as the system spells it) refused with `result`; empty when
// the request was recorded.
std::string BootDeletionMessage(const platform::BootDeletionResult& result, const std::string& path);

// The file scheduled for the document at `documentPath`: the file itself, every link on
// its path resolved (removing a link would leave the file in place), as the system spells
// it; the document's path when that can't be resolved. Its bytes as they are.
std::string FileToDeleteOnRestart(const std::string& documentPath);

// Asks the system, which keeps its pending deletions at `root`, to delete that file when
// it next starts; a refusal carries the message for the user.
Outcome ScheduleDeleteOnRestart(const std::string& documentPath, const std::string& root);
// Whether the system will delete that file when it next starts.
bool IsScheduledForDeleteOnRestart(const std::string& documentPath, const std::string& root);

}  // namespace tallowmark
