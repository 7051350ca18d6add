#include "shell/RecentFileList.h"

#include <algorithm>

#include "presentation/PathText.h"

namespace tallowmark {

namespace {
bool SamePath(const std::string& a, const std::string& b) {
#ifdef _WIN32
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
#else
    return a == b;
#endif
}

bool IsSeparator(char c) { return c == '/' || c == '\\'; }
}  // namespace

RecentFileList::RecentFileList(std::size_t capacity, std::size_t menuTextLength)
    : m_capacity(capacity), m_menuTextLength(menuTextLength) {}

void RecentFileList::Add(const std::string& path) {
    if (path.empty()) return;
    m_paths.erase(
        std::remove_if(m_paths.begin(), m_paths.end(), [&](const std::string& p) { return SamePath(p, path); }),
        m_paths.end());
    m_paths.insert(m_paths.begin(), path);
    if (m_paths.size() > m_capacity) m_paths.resize(m_capacity);
}

void RecentFileList::Remove(std::size_t index) {
    if (index < m_paths.size()) m_paths.erase(m_paths.begin() + static_cast<long>(index));
}

void RecentFileList::Assign(const std::vector<std::string>& paths) {
    m_paths.clear();
    for (auto it = paths.rbegin(); it != paths.rend(); ++it) Add(*it);
}

std::string RecentFileList::MenuText(std::size_t index) const {
    if (index >= m_paths.size()) return {};
    std::string text = "&" + std::to_string(index + 1) + " ";
    for (char c : PathDisplayText(AbbreviatePath(m_paths[index], m_menuTextLength))) {
        if (c == '&') text += '&';
        text += c;
    }
    return text;
}

std::string AbbreviatePath(const std::string& path, std::size_t length) {
    if (path.size() <= length) return path;
    // Split into the leading part (root or drive and first folder) and the rest.
    std::vector<std::string> parts;
    std::string current;
    for (char c : path) {
        current += c;
        if (IsSeparator(c)) {
            parts.push_back(current);
            current.clear();
        }
    }
    const std::string fileName = current;
    if (parts.empty() || fileName.size() + 4 > length)
        return fileName.size() <= length ? fileName : fileName.substr(0, length);
    const std::string& first = parts.front();
    const char separator = first.back();
    std::string tail = fileName;
    for (std::size_t i = parts.size(); i-- > 1;) {
        const std::string candidate = parts[i] + tail;
        if (first.size() + 3 + 1 + candidate.size() > length) break;
        tail = candidate;
    }
    const std::string shortened = first + "..." + separator + tail;
    if (shortened.size() <= length) return shortened;
    return std::string("...") + separator + fileName;
}

}  // namespace tallowmark
