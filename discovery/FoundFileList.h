#pragma once
// The files a search has found, in the order the Find Files list shows them, and the
// texts that list's dialog shows.

#include <cstddef>
#include <string>
#include <vector>

#include "platform/SearchRoots.h"

namespace tallowmark {

inline constexpr const char* kNothingSelectedMessage =
    "Select one or more index.dat files in the list, then choose OK.";

// "%d files found", the same wording for every count.
std::string FilesFoundText(std::size_t count);
// "Search stopped: %d files found", when the user stops a search before its end.
std::string SearchStoppedText(std::size_t count);

// What the list shows beside a found file's path: its size in bytes, digits grouped
// ("16,384"), and when it was last written in local time as the record list shows times.
// Empty texts for a file that cannot be asked (gone meanwhile).
struct FoundFileFacts {
    std::string size;
    std::string modified;
};
FoundFileFacts FactsOfFoundFile(const std::string& path);

// A search of one folder and what lies below it, the file systems mounted there included,
// but none that the search of the whole machine leaves out (`machine`'s fences that are
// none of its roots).
platform::SearchRoots FolderSearchRoots(const std::string& folder, const platform::SearchRoots& machine);

// Alphabetical without regard to letter case, as a sorted list box keeps its items;
// paths that differ only in case keep a fixed order among themselves.
class FoundFileList {
public:
    // The row at which `path` now stands.
    std::size_t Insert(std::string path);
    const std::string& At(std::size_t row) const { return m_paths[row]; }
    std::size_t Count() const { return m_paths.size(); }
    void Clear() { m_paths.clear(); }

private:
    std::vector<std::string> m_paths;
};

}  // namespace tallowmark
