#pragma once
// What makes a file the same file whatever it is called.

#include <cstdint>
#include <optional>
#include <string>

namespace tallowmark::platform {

// Device and inode; on Windows the volume serial number and file index.
struct FileIdentity {
    std::uint64_t volume, index;
    bool operator==(const FileIdentity&) const = default;
};

// The identity of the file `path` names, links followed. Nothing for a path that names
// no file (or none the system will say of).
std::optional<FileIdentity> IdentityOf(const std::string& path);
// The identity of an open file: its descriptor, or its HANDLE on Windows.
std::optional<FileIdentity> IdentityOfOpenFile(std::intptr_t handle);

}  // namespace tallowmark::platform
