#pragma once
// What the user reads when the system did not take a Delete on Restart request.

#include <string>

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

}  // namespace tallowmark
