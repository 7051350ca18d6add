#include "platform/posix/DesktopFiles.h"

#include "platform/posix/TmpfilesEntries.h"

namespace tallowmark::platform {

namespace {
std::string XmlEscaped(std::string_view text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    }
    return out;
}

std::string Stem(const std::string& fileName) { return fileName.substr(0, fileName.rfind('.')); }
}  // namespace

std::string MimePackage(const DocumentType& type) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
           "  <mime-type type=\"" +
           XmlEscaped(type.mimeType) +
           "\">\n"
           "    <comment>" +
           XmlEscaped(type.typeName) +
           "</comment>\n"
           "    <glob pattern=\"" +
           XmlEscaped(type.fileName) +
           "\" case-sensitive=\"false\"/>\n"
           "    <magic priority=\"60\">\n"
           "      <match type=\"string\" offset=\"0\" value=\"" +
           XmlEscaped(type.magic) +
           "\"/>\n"
           "    </magic>\n"
           "  </mime-type>\n"
           "</mime-info>\n";
}

std::string MimePackageFileName(const DocumentType& type) { return Stem(type.desktopFileName) + ".xml"; }

std::string ExecArgument(std::string_view path) {
    // Inside the quotes '"', '`', '$' and '\' take a backslash; then the value's own
    // escaping doubles every backslash, and "%" is doubled so it is no field code.
    std::string quoted = "\"";
    for (const char c : path) {
        if (c == '"' || c == '`' || c == '$') (quoted += "\\\\") += c;
        else if (c == '\\')
            quoted += "\\\\\\\\";
        else if (c == '%')
            quoted += "%%";
        else
            quoted += c;
    }
    return quoted += '"';
}

std::optional<std::string> DesktopEntry(const std::string& executablePath, const DocumentType& type) {
    if (executablePath.empty() || executablePath.front() != '/' || tmpfiles::HasControlCharacter(executablePath))
        return std::nullopt;
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=" +
           type.applicationName +
           "\n"
           "GenericName=Index File Viewer\n"
           "Comment=Shows the records of the cache index files (index.dat) that Windows keeps\n"
           "Exec=" +
           ExecArgument(executablePath) +
           " /dde %F\n"
           "Icon=" +
           type.iconName +
           "\n"
           "MimeType=" +
           type.mimeType +
           ";\n"
           "Categories=Utility;\n"
           "Keywords=index.dat;cache;history;cookies;privacy;forensics;\n"
           "Terminal=false\n";
}

}  // namespace tallowmark::platform
