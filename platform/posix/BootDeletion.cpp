#include "platform/BootDeletion.h"

namespace tallowmark::platform {

std::string SystemBootDeletionRoot() { return "/"; }

Outcome ScheduleDeletionAtBoot(const std::string& path, const std::string&) {
    return Outcome::Failure(FormatMessage(kBootDeletionFailed, path));
}

bool IsScheduledForDeletionAtBoot(const std::string&, const std::string&) { return false; }

}  // namespace tallowmark::platform
