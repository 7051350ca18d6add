#pragma once
// A folder that belongs to the user running the program and to nobody else, for the
// files by which one instance finds another. A shared folder (the system's temporary
// folder) will not do: another user may have taken the names there first.

#include <string>

namespace tallowmark::platform {

// `runtimeFolder` when it is the user's own (see IsPrivateFolder), else the folder `name`
// inside `cacheFolder`, made with no access for anyone else when it is missing. Empty
// when neither is the user's own: the caller then goes without, never elsewhere.
std::string UserPrivateFolder(const std::string& runtimeFolder, const std::string& cacheFolder,
                              const std::string& name);

// True when `folder` is, at this moment, a directory of the user's own: not a link,
// owned by the user and closed to everyone else (mode 0700). On Windows: a directory,
// which the user's profile folders keep private by their access lists.
bool IsPrivateFolder(const std::string& folder);

// The session's runtime folder ($XDG_RUNTIME_DIR; empty on Windows and where unset).
std::string SessionRuntimeFolder();
// The user's cache folder ($XDG_CACHE_HOME, else ~/.cache; %LOCALAPPDATA% on Windows).
std::string UserCacheFolder();

}  // namespace tallowmark::platform
