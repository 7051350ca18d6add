#include "platform/ShellRegistration.h"

namespace tallowmark::platform {

std::string UserRegistrationRoot() { return {}; }

RegistrationResult RegisterDocumentType(const std::string&, const std::string&, const DocumentType&) {
    return {false, false};
}

void RefreshDesktopDatabases(const std::string&, const DocumentType&) {}

}  // namespace tallowmark::platform
