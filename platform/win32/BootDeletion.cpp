#include "platform/BootDeletion.h"

#include <algorithm>

#include "platform/NativePath.h"
#include "platform/win32/PendingRenames.h"
#include "platform/win32/WideText.h"

namespace tallowmark::platform {

namespace {
constexpr const wchar_t* kValueName = L"PendingFileRenameOperations";
constexpr const char* kSessionManager = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";

class RegistryKey {
public:
    RegistryKey(const std::string& path, REGSAM access)
        : m_status(RegOpenKeyExW(HKEY_LOCAL_MACHINE, Widen(path).c_str(), 0, access, &m_key)) {
        if (m_status != ERROR_SUCCESS) m_key = nullptr;
    }
    ~RegistryKey() {
        if (m_key) RegCloseKey(m_key);
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    HKEY get() const { return m_key; }
    DWORD status() const { return static_cast<DWORD>(m_status); }

private:
    HKEY m_key = nullptr;
    LONG m_status;
};

// The whole value, whatever its length: its size is asked first. Empty when it is missing.
std::vector<wchar_t> ReadPendingValue(HKEY key, LONG& status) {
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD size = 0;
        status = RegQueryValueExW(key, kValueName, nullptr, nullptr, nullptr, &size);
        if (status != ERROR_SUCCESS) return {};
        std::vector<wchar_t> value((size + 1) / sizeof(wchar_t));
        status = RegQueryValueExW(key, kValueName, nullptr, nullptr, reinterpret_cast<BYTE*>(value.data()), &size);
        if (status == ERROR_MORE_DATA) continue;  // it grew in between
        if (status != ERROR_SUCCESS) return {};
        value.resize(size / sizeof(wchar_t));
        return value;
    }
    return {};
}

bool IsSystemRoot(const std::string& root) {
    const std::wstring wide = Widen(root), system = Widen(kSessionManager);
    return CompareStringOrdinal(wide.c_str(), -1, system.c_str(), -1, TRUE) == CSTR_EQUAL;
}

bool HoldsControlCharacter(const std::string& path) {
    return std::any_of(path.begin(), path.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

BootDeletionResult Failure(DWORD error) {
    return {error == ERROR_ACCESS_DENIED ? BootDeletionError::NeedsRights : BootDeletionError::Failed};
}

// A scratch root is not the system's: the entry is added the way the system adds it.
BootDeletionResult AddDeleteEntry(const std::wstring& path, const std::string& root) {
    RegistryKey key(root, KEY_QUERY_VALUE | KEY_SET_VALUE);
    if (!key.get()) return Failure(key.status());
    LONG status = ERROR_SUCCESS;
    std::vector<pending::Operation> operations = pending::Parse(ReadPendingValue(key.get(), status));
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) return Failure(static_cast<DWORD>(status));
    operations.push_back({L"\\??\\" + path, std::wstring()});
    const std::vector<wchar_t> value = pending::Serialize(operations);
    status = RegSetValueExW(key.get(), kValueName, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(value.data()),
                            static_cast<DWORD>(value.size() * sizeof(wchar_t)));
    return status == ERROR_SUCCESS ? BootDeletionResult{} : Failure(static_cast<DWORD>(status));
}
}  // namespace

std::string SystemBootDeletionRoot() { return kSessionManager; }

// Only an administrator makes links here: what matters is that the path still names the file read.
OpenedFile ResolveOpenedFile(const std::string& path, const std::optional<FileIdentity>& identity) {
    const std::string file = CanonicalPath(path);
    if (file.empty() || !identity || IdentityOf(file) != identity) return {{BootDeletionError::NotTheFileOpened}};
    return {{}, WithWindowsSeparators(file)};
}

std::string BootEntryFor(const std::string& file, const std::string&) { return file; }

BootDeletionResult ScheduleDeletionAtBoot(const std::string& path, const std::string& root) {
    if (HoldsControlCharacter(path)) return {BootDeletionError::BadName};
    const std::wstring wide = Widen(WithWindowsSeparators(path));
    if (!IsSystemRoot(root)) return AddDeleteEntry(wide, root);
    if (!MoveFileExW(wide.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) return Failure(GetLastError());
    return {};
}

bool IsScheduledForDeletionAtBoot(const std::string& path, const std::string& root) {
    // Reading needs no more than the right to query, which every user has here.
    RegistryKey key(root, KEY_QUERY_VALUE);
    if (!key.get()) return false;
    LONG status = ERROR_SUCCESS;
    const std::wstring wide = Widen(WithWindowsSeparators(path));
    const std::vector<pending::Operation> operations = pending::Parse(ReadPendingValue(key.get(), status));
    return std::any_of(operations.begin(), operations.end(),
                       [&](const pending::Operation& operation) { return pending::DeletesExactly(operation, wide); });
}

}  // namespace tallowmark::platform
