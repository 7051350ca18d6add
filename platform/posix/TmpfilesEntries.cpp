#include "platform/posix/TmpfilesEntries.h"

namespace tallowmark::platform::tmpfiles {

namespace {
// "!" keeps the removal to boot time: a manual "systemd-tmpfiles --remove" leaves it be.
constexpr std::string_view kRemoveAtBoot = "r! \"";
constexpr std::string_view kRemove = "r \"";
constexpr std::string_view kGlobCharacters = "*?[]{}\\";

bool IsPlainAbsolute(std::string_view path) {
    if (path.size() < 2 || path.front() != '/') return false;
    std::size_t start = 1;
    while (start <= path.size()) {
        const std::size_t end = std::min(path.find('/', start), path.size());
        const std::string_view part = path.substr(start, end - start);
        if (part.empty() || part == "." || part == "..") return false;
        start = end + 1;
    }
    return true;
}

// Undoes the file-level escapes; nothing when the text holds anything we never write.
std::optional<std::string> FileUnescape(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\' || c == '%') {
            if (i + 1 >= text.size()) return std::nullopt;
            const char next = text[++i];
            if (c == '%' && next != '%') return std::nullopt;
            if (c == '\\' && next != '\\' && next != '"') return std::nullopt;
            out += next;
        } else if (c == '"') {
            return std::nullopt;
        } else {
            out += c;
        }
    }
    return out;
}

// Undoes the glob escapes; nothing when an unescaped glob character would match others.
std::optional<std::string> GlobUnescape(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\') {
            if (++i >= text.size()) return std::nullopt;
            out += text[i];
        } else if (kGlobCharacters.find(c) != std::string_view::npos) {
            return std::nullopt;
        } else {
            out += c;
        }
    }
    return out;
}
}  // namespace

bool HasControlCharacter(std::string_view text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return true;
    return false;
}

std::optional<std::string> RemovalLine(std::string_view path) {
    if (HasControlCharacter(path) || !IsPlainAbsolute(path)) return std::nullopt;
    std::string line(kRemoveAtBoot);
    for (const char c : path) {
        if (c == '\\') line += "\\\\\\\\";  // a glob escape, itself escaped for the file
        else if (kGlobCharacters.find(c) != std::string_view::npos)
            (line += "\\\\") += c;
        else if (c == '"')
            line += "\\\"";
        else if (c == '%')
            line += "%%";
        else
            line += c;
    }
    return line += '"';
}

std::optional<std::string> RemovedPath(std::string_view line) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r')) line.remove_suffix(1);
    if (line.starts_with(kRemoveAtBoot)) line.remove_prefix(kRemoveAtBoot.size());
    else if (line.starts_with(kRemove))
        line.remove_prefix(kRemove.size());
    else
        return std::nullopt;
    if (line.empty() || line.back() != '"') return std::nullopt;
    line.remove_suffix(1);
    const auto unescaped = FileUnescape(line);
    if (!unescaped) return std::nullopt;
    auto path = GlobUnescape(*unescaped);
    if (!path || HasControlCharacter(*path) || !IsPlainAbsolute(*path)) return std::nullopt;
    return path;
}

}  // namespace tallowmark::platform::tmpfiles
