#pragma once
// Lists one directory, entry by entry, for the index file search.

#include <memory>
#include <string>
#include <string_view>

namespace tallowmark::platform {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

enum class EntryKind {
    Directory,      // a real directory, safe to enter
    DirectoryLink,  // a link (symbolic link, junction, mount point) to a directory: never entered
    File,           // anything else, links to files included
};

struct DirectoryEntry {
    std::string_view name;  // valid until the next call to Next
    EntryKind kind = EntryKind::File;
};

// Every entry of the directory but "." and "..", hidden ones included, in the order the
// file system gives them. A directory that can't be listed yields nothing and says why.
class DirectoryReader {
public:
    // `path` may end in a separator; a link in its last part is not followed.
    explicit DirectoryReader(const std::string& path);
    ~DirectoryReader();
    DirectoryReader(const DirectoryReader&) = delete;
    DirectoryReader& operator=(const DirectoryReader&) = delete;

    bool IsOpen() const;
    // The system's reason when the directory could not be listed; empty otherwise.
    const std::string& Failure() const { return m_failure; }
    bool Next(DirectoryEntry& entry);

private:
    struct Handle;
    std::unique_ptr<Handle> m_handle;
    std::string m_failure;
};

}  // namespace tallowmark::platform
