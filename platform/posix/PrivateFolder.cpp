#include "platform/PrivateFolder.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace tallowmark::platform {

namespace {
std::string AbsoluteVariable(const char* name) {
    const char* value = std::getenv(name);
    return value && value[0] == '/' ? std::string(value) : std::string();
}

std::string ParentOf(std::string folder) {
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    const std::size_t slash = folder.rfind('/');
    return slash == 0 || slash == std::string::npos ? std::string("/") : folder.substr(0, slash);
}

// Nobody but the user (or root, who can do anything anyway) can rename what the folder
// holds; in a sticky folder such as /tmp, nobody else can rename what the user owns there.
bool OnlyTheUserCanChange(const std::string& folder) {
    struct stat status {};
    if (::stat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) return false;
    return (status.st_uid == ::geteuid() || status.st_uid == 0) &&
           ((status.st_mode & (S_IWGRP | S_IWOTH)) == 0 || (status.st_mode & S_ISVTX));
}
}  // namespace

bool IsPrivateFolder(const std::string& folder) {
    struct stat status {};
    if (folder.empty() || folder.front() != '/' || ::lstat(folder.c_str(), &status) != 0) return false;
    return S_ISDIR(status.st_mode) && status.st_uid == ::geteuid() && (status.st_mode & 0777) == 0700 &&
           OnlyTheUserCanChange(ParentOf(folder));
}

std::string UserPrivateFolder(const std::string& runtimeFolder, const std::string& cacheFolder,
                              const std::string& name) {
    if (IsPrivateFolder(runtimeFolder)) return runtimeFolder;
    if (cacheFolder.empty() || cacheFolder.front() != '/' || name.empty() || name.find('/') != std::string::npos)
        return {};
    // Nothing is made in a folder someone else could change (another user's home, for
    // root started with that user's environment). A fresh account may have no cache
    // folder yet; one that exists keeps its mode.
    if (!OnlyTheUserCanChange(ParentOf(cacheFolder))) return {};
    ::mkdir(cacheFolder.c_str(), 0700);
    if (!OnlyTheUserCanChange(cacheFolder)) return {};
    const std::string folder = cacheFolder + "/" + name;
    ::mkdir(folder.c_str(), 0700);
    return IsPrivateFolder(folder) ? folder : std::string();
}

std::string SessionRuntimeFolder() { return AbsoluteVariable("XDG_RUNTIME_DIR"); }

std::string UserCacheFolder() {
    const std::string cache = AbsoluteVariable("XDG_CACHE_HOME");
    if (!cache.empty()) return cache;
    const std::string home = AbsoluteVariable("HOME");
    return home.empty() ? std::string() : home + "/.cache";
}

}  // namespace tallowmark::platform
