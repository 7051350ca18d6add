#pragma once
// Delete on Restart of an open document's file: what is scheduled, and what the user
// reads when the system did not take the request.

#include <optional>
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
inline constexpr const char* kBootDeletionChangeableLink =
    "%1 could not be scheduled for deletion when the system restarts: %2 on its path is a link that users other "
    "than root can change, who could have another file deleted in its place.";
inline constexpr const char* kBootDeletionNotTheFileOpened =
    "%1 could not be scheduled for deletion when the system restarts: it no longer names the file that was opened.";

// The message for `path` (as the system spells it) refused with `result`; empty when
// the request was recorded.
std::string BootDeletionMessage(const platform::BootDeletionResult& result, const std::string& path);

// The file to schedule for the document read from `documentPath`: the file itself, not a
// link to it, since removing a link would leave the file in place. The bytes of its name
// as they are, UTF-8 or not.
std::string FileToDeleteOnRestart(const std::string& documentPath);
// Schedules the document's file below `root` (see platform/BootDeletion.h), only while
// `documentPath` names `identity`, the file the document read, through no link that others
// could change; the message when refused, else empty.
std::string ScheduleDeleteOnRestart(const std::string& documentPath,
                                    const std::optional<platform::FileIdentity>& identity, const std::string& root);
bool IsDeleteOnRestartScheduled(const std::string& documentPath, const std::string& root);

}  // namespace tallowmark
