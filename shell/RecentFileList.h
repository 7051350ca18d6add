#pragma once
// The most-recently-used file list: full paths, most recent first, at most `capacity`.

#include <cstddef>
#include <string>
#include <vector>

namespace tallowmark {

class RecentFileList {
public:
    explicit RecentFileList(std::size_t capacity = 9, std::size_t menuTextLength = 30);

    // Moves `path` to the front (paths compare case-insensitively on Windows only).
    void Add(const std::string& path);
    void Remove(std::size_t index);
    const std::vector<std::string>& Paths() const { return m_paths; }
    std::size_t Capacity() const { return m_capacity; }
    void Assign(const std::vector<std::string>& paths);

    // The text of entry `index` in the File menu: "&1 " and the path shortened to the
    // menu length, shown as PathDisplayText shows it; a single ampersand in the path is
    // doubled so it shows as written.
    std::string MenuText(std::size_t index) const;

private:
    std::size_t m_capacity;
    std::size_t m_menuTextLength;
    std::vector<std::string> m_paths;
};

// Shortens a path to at most `length` characters: the file name is always kept, then as
// many of the first and last folders as fit, with "..." for the folders left out.
std::string AbbreviatePath(const std::string& path, std::size_t length);

}  // namespace tallowmark
