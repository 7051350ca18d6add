#pragma once
// Where a search of the whole machine for index files looks.

#include <string>
#include <vector>

namespace tallowmark::platform {

struct SearchRoots {
    // The places walked, one after the other in this order.
    std::vector<std::string> roots;
    // Sorted mount points that no walk enters, so each file system is walked once, from
    // its own root, and the ones left out are not walked at all.
    std::vector<std::string> fences;
};

// Windows: the drives C: to Z: that have a root and are not CD-ROM drives.
// Elsewhere: the mounted file systems, as MountedSearchRoots reads the system's table.
SearchRoots MachineSearchRoots();

// The file systems of a mount table in the format of /proc/self/mounts, in path order,
// leaving out pseudo file systems (proc, sysfs, cgroup and the like), optical media
// and whatever is mounted below a left-out one. An unreadable table gives the root
// folder alone, fenced off from the usual pseudo file systems.
SearchRoots MountedSearchRoots(const std::string& mountTablePath);

}  // namespace tallowmark::platform
