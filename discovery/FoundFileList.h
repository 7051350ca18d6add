#pragma once
// The files a search has found, in the order the Find Files list shows them, and the
// texts that list's dialog shows.

#include <cstddef>
#include <string>
#include <vector>

namespace tallowmark {

inline constexpr const char* kNothingSelectedMessage =
    "Select one or more index.dat files in the list, then choose OK.";

// "%d files found", the same wording for every count.
std::string FilesFoundText(std::size_t count);

// Alphabetical without regard to letter case, as a sorted list box keeps its items;
// paths that differ only in case keep a fixed order among themselves.
class FoundFileList {
public:
    // The row at which `path` now stands.
    std::size_t Insert(std::string path);
    const std::string& At(std::size_t row) const { return m_paths[row]; }
    std::size_t Count() const { return m_paths.size(); }

private:
    std::vector<std::string> m_paths;
};

}  // namespace tallowmark
