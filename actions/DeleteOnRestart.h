#pragma once
// What the user reads when the system did not take a Delete on Restart request.

#include <string>

#include "platform/BootDeletion.h"

namespace tallowmark {

// "%1" is the file.
inline constexpr const char* kBootDeletionFailed = "%1 could not be scheduled for deletion when the system restarts.";
inline constexpr const char* kBootDeletionNeedsRights =
    "%1 could not be scheduled for deletion when the system restarts: administrator rights are needed.";
inline constexpr const char* kBootDeletionBadName =
    "%1 could not be scheduled for deletion when the system restarts: its name holds a control character.";

// The message for `path` (as the system spells it) refused with `result`; empty when
// the request was recorded.
std::string BootDeletionMessage(const platform::BootDeletionResult& result, const std::string& path);

}  // namespace tallowmark
