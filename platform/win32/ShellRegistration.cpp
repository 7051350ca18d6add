#include "platform/ShellRegistration.h"

#include <climits>
#include <optional>

#include "platform/NativePath.h"
#include "platform/win32/WideText.h"

#include <shellapi.h>
#include <shlobj.h>

namespace tallowmark::platform {

namespace {
constexpr const char* kUserClasses = "Software\\Classes";

bool SameName(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

// A key's string value (`name` empty: its default value); nothing when key or value is missing.
std::optional<std::wstring> ReadText(HKEY hive, const std::wstring& key, const wchar_t* name) {
    DWORD size = 0;
    if (RegGetValueW(hive, key.c_str(), name, RRF_RT_REG_SZ, nullptr, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    std::wstring text(size / sizeof(wchar_t), L'\0');
    if (RegGetValueW(hive, key.c_str(), name, RRF_RT_REG_SZ, nullptr, text.data(), &size) != ERROR_SUCCESS)
        return std::nullopt;
    text.resize(wcsnlen(text.c_str(), text.size()));
    return text;
}

// Writes a string value under HKEY_CURRENT_USER unless it already holds `text`.
class Writer {
public:
    bool Set(const std::wstring& key, const wchar_t* name, const std::wstring& text) {
        if (!ok) return false;
        if (ReadText(HKEY_CURRENT_USER, key, name) == text) return true;
        ok = RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name, REG_SZ, text.c_str(),
                             static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
        changed = changed || ok;
        return ok;
    }
    bool ok = true;
    bool changed = false;
};

// The document icon is the executable's second icon, when it has one.
int DocumentIconIndex(const std::wstring& executable) {
    const UINT icons = ExtractIconExW(executable.c_str(), -1, nullptr, nullptr, 0);
    return icons != UINT_MAX && icons >= 2 ? 1 : 0;  // UINT_MAX: the file can't be read
}

// The extension may be taken when it has no default value, an empty one, or ours; a value
// of another kind counts as another program's. At the user's real classes root the owner
// is what HKEY_CLASSES_ROOT shows (machine-wide owners included); elsewhere the root's own.
bool MayTakeExtension(const std::wstring& root, const std::wstring& extension, const std::wstring& typeId) {
    const bool userRoot = SameName(root, Widen(kUserClasses));
    const HKEY hive = userRoot ? HKEY_CLASSES_ROOT : HKEY_CURRENT_USER;
    const std::wstring key = userRoot ? extension : root + L"\\" + extension;
    DWORD size = 0;
    if (RegGetValueW(hive, key.c_str(), nullptr, RRF_RT_ANY, nullptr, nullptr, &size) == ERROR_FILE_NOT_FOUND)
        return true;
    const std::optional<std::wstring> owner = ReadText(hive, key, nullptr);
    return owner && (owner->empty() || SameName(*owner, typeId));
}
}  // namespace

std::string UserRegistrationRoot() { return kUserClasses; }

// The key lies in the running user's own hive.
bool MayRegisterIn(const std::string& root, const std::string&) { return !root.empty(); }
std::string HomeFolder() { return {}; }

RegistrationResult RegisterDocumentType(const std::string& executablePath, const std::string& root,
                                        const DocumentType& type) {
    const std::wstring exe = Widen(WithWindowsSeparators(executablePath));
    const std::wstring classes = Widen(root);
    const std::wstring typeKey = classes + L"\\" + Widen(type.typeId);
    const std::wstring typeId = Widen(type.typeId);

    Writer writer;
    writer.Set(typeKey, nullptr, Widen(type.typeName));
    writer.Set(typeKey + L"\\DefaultIcon", nullptr, exe + L"," + std::to_wstring(DocumentIconIndex(exe)));
    // The full path in quotes and the file as an argument: no DDE server answers, and
    // 8.3 short names may be switched off on the volume. The program cannot print, so
    // there are no print verbs.
    writer.Set(typeKey + L"\\shell\\open\\command", nullptr, L"\"" + exe + L"\" /dde \"%1\"");

    const std::wstring extension = Widen(type.extension);
    if (MayTakeExtension(classes, extension, typeId)) {
        const std::wstring extensionKey = classes + L"\\" + extension;
        writer.Set(extensionKey, nullptr, typeId);
        writer.Set(extensionKey + L"\\ShellNew", L"NullFile", std::wstring());
    }
    return {writer.ok, writer.changed};
}

// An installer's registration lives under HKEY_LOCAL_MACHINE, and the user's own keys
// take precedence over it anyway: the program always registers for its user.
std::vector<std::string> SystemDataFolders() { return {}; }

bool IsRegisteredSystemWide(const std::string&, const std::vector<std::string>&, const DocumentType&) { return false; }

void RefreshDesktopDatabases(const std::string&, const DocumentType&) {
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST | SHCNF_FLUSHNOWAIT, nullptr, nullptr);
}

}  // namespace tallowmark::platform
