#include "platform/TextEditor.h"

#include "platform/win32/WideText.h"

namespace tallowmark::platform {

namespace {
// Notepad from the system folder, never one that lies in the current folder.
std::wstring NotepadPath() {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return L"notepad.exe";
    return std::wstring(folder, length) + L"\\notepad.exe";
}

std::string Narrow(const std::wstring& wide) {
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string narrow(length > 0 ? length - 1 : 0, '\0');
    if (length > 1) WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, narrow.data(), length, nullptr, nullptr);
    return narrow;
}
}  // namespace

DesktopPlaces CurrentDesktopPlaces() { return {}; }

std::vector<std::string> TextEditorCommand(const std::string& path, const DesktopPlaces&) {
    return {Narrow(NotepadPath()), path};
}

bool OpenInTextEditor(const std::string& path) {
    // Notepad reads the rest of its command line as one file name, blanks and all, so the
    // path follows unquoted.
    const std::wstring program = NotepadPath();
    std::wstring commandLine = L"\"" + program + L"\" " + Widen(path).c_str();
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

}  // namespace tallowmark::platform
