#include "platform/SearchRoots.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string_view>

namespace tallowmark::platform {

namespace {
// File systems that hold no user files, or whose walk would never end or would wake
// devices; and the optical ones, which a search of the machine leaves out.
constexpr std::string_view kLeftOutTypes[] = {
    "autofs",   "binfmt_misc", "bpf",        "cgroup",    "cgroup2", "configfs", "debugfs", "devpts",
    "devtmpfs", "efivarfs",    "fusectl",    "hugetlbfs", "iso9660", "mqueue",   "nsfs",    "proc",
    "pstore",   "rpc_pipefs",  "securityfs", "selinuxfs", "sysfs",   "tracefs",  "udf",
};

bool IsLeftOut(std::string_view type) {
    return std::find(std::begin(kLeftOutTypes), std::end(kLeftOutTypes), type) != std::end(kLeftOutTypes);
}

// The table writes blanks, tabs, line breaks and backslashes in paths as \ooo.
std::string Unescape(std::string_view field) {
    std::string text;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() &&
            std::all_of(field.begin() + i + 1, field.begin() + i + 4, [](char c) { return c >= '0' && c <= '7'; })) {
            text += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0'));
            i += 3;
        } else {
            text += field[i];
        }
    }
    return text;
}

bool IsBelow(const std::string& path, const std::string& folder) {
    if (folder == "/") return path != "/";
    return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 && path[folder.size()] == '/';
}

void SortUnique(std::vector<std::string>& paths) {
    std::sort(paths.begin(), paths.end());
    paths.erase(std::unique(paths.begin(), paths.end()), paths.end());
}
}  // namespace

SearchRoots MountedSearchRoots(const std::string& mountTablePath) {
    std::ifstream table(mountTablePath);
    SearchRoots where;
    std::vector<std::string> leftOut;
    std::string line;
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string device, mountPoint, type;
        if (!(fields >> device >> mountPoint >> type) || mountPoint.empty() || mountPoint[0] != '/') continue;
        mountPoint = Unescape(mountPoint);
        where.fences.push_back(mountPoint);
        (IsLeftOut(type) ? leftOut : where.roots).push_back(mountPoint);
    }
    if (where.fences.empty()) return {{"/"}, {"/dev", "/proc", "/sys"}};
    std::erase_if(where.roots, [&](const std::string& root) {
        return std::any_of(leftOut.begin(), leftOut.end(), [&](const std::string& out) { return IsBelow(root, out); });
    });
    SortUnique(where.roots);
    SortUnique(where.fences);
    return where;
}

SearchRoots MachineSearchRoots() { return MountedSearchRoots("/proc/self/mounts"); }

}  // namespace tallowmark::platform
