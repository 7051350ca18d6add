#pragma once
// The freedesktop.org files that make file managers offer the program for index files:
// a shared-mime-info package and a desktop entry.

#include <optional>
#include <string>
#include <string_view>

#include "platform/ShellRegistration.h"

namespace tallowmark::platform {

// Recognises the type by file name in any letter case and by the file's first bytes.
std::string MimePackage(const DocumentType& type);
std::string MimePackageFileName(const DocumentType& type);

// An entry that runs `executablePath` with "/dde" and the chosen files. Nothing for a
// path that is not absolute or holds a control character.
std::optional<std::string> DesktopEntry(const std::string& executablePath, const DocumentType& type);

// `path` as one quoted argument of an Exec line, escaped for the key's value.
std::string ExecArgument(std::string_view path);

}  // namespace tallowmark::platform
