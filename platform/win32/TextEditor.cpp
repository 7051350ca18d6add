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
}  // namespace

LaunchResult OpenInTextEditor(const std::string& path) {
    // Notepad reads the rest of its command line as one file name, blanks and all, so the
    // path follows unquoted.
    const std::wstring program = NotepadPath();
    std::wstring commandLine = L"\"" + program + L"\" " + Widen(path).c_str();
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return GetLastError() == ERROR_FILE_NOT_FOUND ? LaunchResult::NoApplication : LaunchResult::Failed;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return LaunchResult::Started;
}

}  // namespace tallowmark::platform
