#include "platform/OutputFile.h"

#include <algorithm>
#include <utility>

#include "platform/PendingTemporaries.h"
#include "platform/win32/WideText.h"

namespace tallowmark::platform {

namespace {
// The storage quota is used up (ERROR_DISK_QUOTA_EXCEEDED, which MinGW's headers lack).
constexpr DWORD kDiskQuotaExceeded = 1295;

WriteError ErrorFromLastError(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
        case ERROR_INVALID_NAME: return WriteError::NotFound;
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
        case ERROR_DIRECTORY: return WriteError::AccessDenied;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
        case kDiskQuotaExceeded: return WriteError::DiskFull;
        default: return WriteError::Other;
    }
}

std::string SystemText(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring wide(text ? text : L"", length);
    if (text) LocalFree(text);
    while (!wide.empty() && (wide.back() == L'\n' || wide.back() == L'\r' || wide.back() == L' ')) wide.pop_back();
    if (wide.empty()) return "system error " + std::to_string(error);
    return Narrow(wide);
}

WriteStatus Failure(DWORD error) { return {ErrorFromLastError(error), SystemText(error)}; }

// A written file that its check refused.
WriteStatus NotAsWritten() { return {WriteError::NotAsWritten, "the file written does not read back as written"}; }

// Whether `path` names a device or a pipe (NUL, CON, \\.\pipe\...) rather than a file.
bool IsDeviceOrPipe(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const DWORD type = GetFileType(file);
    CloseHandle(file);
    return type == FILE_TYPE_CHAR || type == FILE_TYPE_PIPE;
}

// Every temporary file open now, on any thread: what Ctrl+C removes.
PendingTemporaries g_pending;

BOOL WINAPI RemoveTemporariesAndEnd(DWORD event) {
    // The files were opened sharing deletion: they go when the ending program closes them.
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) return FALSE;
    // The handler runs on a thread of its own; a file being made is waited for, up to two seconds.
    g_pending.RemoveAll([](const wchar_t* name) { DeleteFileW(name); }, [] { Sleep(1); }, 2000);
    return FALSE;  // the next handler, in the end the system's, ends the program
}

}  // namespace

// Opened without any access, links followed: works for a file that others hold open.
std::optional<FileIdentity> IdentityOf(const std::string& path) {
    HANDLE file = CreateFileW(Widen(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    const std::optional<FileIdentity> identity = IdentityOfOpenFile(reinterpret_cast<std::intptr_t>(file));
    CloseHandle(file);
    return identity;
}

std::optional<FileIdentity> IdentityOfOpenFile(std::intptr_t handle) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(reinterpret_cast<HANDLE>(handle), &info)) return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber, std::uint64_t{info.nFileIndexHigh} << 32 | info.nFileIndexLow};
}

OutputFile::~OutputFile() { Abandon(); }

WriteStatus OutputFile::Open(const std::string& target, const std::vector<std::string>& inputs,
                             Existing keep) {
    Abandon();
    if (const auto same = SameFileAs(target, inputs)) return {WriteError::SameAsInput, {}, *same};
    m_strTarget = target;
    const std::wstring wideTarget = Widen(target);
    m_bKeepExisting = keep == Existing::Keep;
    if (m_bKeepExisting && GetFileAttributesW(wideTarget.c_str()) != INVALID_FILE_ATTRIBUTES)
        return Failure(ERROR_FILE_EXISTS);
    if (IsDeviceOrPipe(wideTarget)) {
        HANDLE device = CreateFileW(wideTarget.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (device == INVALID_HANDLE_VALUE) return Failure(GetLastError());
        m_handle = reinterpret_cast<std::intptr_t>(device);
        return {};
    }
    const DWORD attributes = GetFileAttributesW(wideTarget.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return Failure(ERROR_DIRECTORY);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        return Failure(ERROR_ACCESS_DENIED);

    const std::size_t slash = target.find_last_of("/\\");
    const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    const std::string name = target.substr(slash == std::string::npos ? 0 : slash + 1).substr(0, 200);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::wstring temporary = Widen(folder + "." + name + "." + UniqueSuffix());
        m_pPending = g_pending.Claim(temporary.c_str(), temporary.size());
        if (!m_pPending && g_pending.Ending()) return Failure(ERROR_OPERATION_ABORTED);
        // Shared for deletion, so that Ctrl+C can remove it while it is open.
        HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                  CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            PendingTemporaries::Arm(m_pPending);
            m_handle = reinterpret_cast<std::intptr_t>(file);
            m_strTemporary = Narrow(temporary);
            return {};
        }
        const DWORD error = GetLastError();
        PendingTemporaries::Release(m_pPending);
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return Failure(error);
    }
    return Failure(ERROR_FILE_EXISTS);
}

bool OutputFile::WriteOut(const char* data, std::size_t size) {
    if (m_nSystemError != 0 || m_handle == -1) return false;
    while (size != 0) {
        DWORD written = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
        if (!WriteFile(reinterpret_cast<HANDLE>(m_handle), data, want, &written, nullptr)) {
            m_nSystemError = static_cast<int>(GetLastError());
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

WriteStatus OutputFile::Commit(const WrittenCheck& check) {
    if (m_handle == -1) return Failure(ERROR_INVALID_HANDLE);
    m_buffer.Drain();
    HANDLE file = reinterpret_cast<HANDLE>(std::exchange(m_handle, -1));
    auto error = static_cast<DWORD>(m_nSystemError);
    const bool inPlace = m_strTemporary.empty();
    const std::optional<FileIdentity> made = IdentityOfOpenFile(reinterpret_cast<std::intptr_t>(file));
    if (!error && !inPlace && !FlushFileBuffers(file)) error = GetLastError();
    if (!CloseHandle(file) && !error) error = GetLastError();
    if (!error && !inPlace && check && !check(m_strTemporary)) {
        Abandon();
        return NotAsWritten();
    }
    if (!error && !inPlace) {
        const std::wstring temporary = Widen(m_strTemporary), wideTarget = Widen(m_strTarget);
        // The new file takes the old target's attributes (hidden, system, archive); its
        // access rights come from the folder, as a file created there would have them.
        const DWORD attributes = GetFileAttributesW(wideTarget.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES) SetFileAttributesW(temporary.c_str(), attributes);
        // One rename, never a copy: unlike ReplaceFileW it cannot end with neither file in place.
        const DWORD replacing = m_bKeepExisting ? 0 : MOVEFILE_REPLACE_EXISTING;
        const bool replaced = MoveFileExW(temporary.c_str(), wideTarget.c_str(), replacing | MOVEFILE_WRITE_THROUGH);
        if (replaced) m_strTemporary.clear();
        else
            error = GetLastError();
    }
    Abandon();
    if (error) return Failure(error);
    WriteStatus written;
    written.written = made;
    return written;
}

void OutputFile::CloseAndRemove() {
    if (m_handle != -1) CloseHandle(reinterpret_cast<HANDLE>(std::exchange(m_handle, -1)));
    if (!m_strTemporary.empty()) DeleteFileW(Widen(m_strTemporary).c_str());
    PendingTemporaries::Release(m_pPending);
}

void RemoveUnfinishedOutputOnSignals() { SetConsoleCtrlHandler(RemoveTemporariesAndEnd, TRUE); }

}  // namespace tallowmark::platform
