#include "platform/PrivateFolder.h"

#include "platform/win32/WideText.h"

namespace tallowmark::platform {

namespace {
bool IsDirectory(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}
}  // namespace

bool IsPrivateFolder(const std::string& folder) { return !folder.empty() && IsDirectory(Widen(folder)); }

std::string UserPrivateFolder(const std::string& runtimeFolder, const std::string& cacheFolder,
                              const std::string& name) {
    if (IsPrivateFolder(runtimeFolder)) return runtimeFolder;
    if (cacheFolder.empty() || name.empty() || name.find_first_of("/\\") != std::string::npos) return {};
    const std::string folder = cacheFolder + "\\" + name;
    CreateDirectoryW(Widen(folder).c_str(), nullptr);
    return IsPrivateFolder(folder) ? folder : std::string();
}

std::string SessionRuntimeFolder() { return {}; }

std::string UserCacheFolder() {
    wchar_t buffer[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(L"LOCALAPPDATA", buffer, MAX_PATH);
    return length == 0 || length >= MAX_PATH ? std::string() : Narrow(std::wstring(buffer, length));
}

}  // namespace tallowmark::platform
