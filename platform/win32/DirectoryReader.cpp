#include "platform/DirectoryReader.h"

#include <system_error>

#include "platform/win32/WideText.h"

namespace tallowmark::platform {

struct DirectoryReader::Handle {
    HANDLE find = INVALID_HANDLE_VALUE;
    WIN32_FIND_DATAW data{};
    bool pending = true;  // `data` holds an entry not yet handed out
    std::string name;
};

namespace {
// Symbolic links, junctions and volume mount points are name surrogates; other reparse
// points (cloud placeholders, deduplicated files) are ordinary files and folders.
bool IsLink(const WIN32_FIND_DATAW& data) {
    return (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && IsReparseTagNameSurrogate(data.dwReserved0);
}

bool IsDotOrDotDot(const wchar_t* name) {
    return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}
}  // namespace

DirectoryReader::DirectoryReader(const std::string& path) {
    std::string pattern = path;
    if (pattern.empty() || pattern.back() != kPathSeparator) pattern += kPathSeparator;
    pattern += '*';
    auto handle = std::make_unique<Handle>();
    handle->find = FindFirstFileExW(Widen(pattern).c_str(), FindExInfoBasic, &handle->data, FindExSearchNameMatch,
                                    nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (handle->find == INVALID_HANDLE_VALUE) {
        m_failure = std::system_category().message(static_cast<int>(GetLastError()));
        return;
    }
    m_handle = std::move(handle);
}

DirectoryReader::~DirectoryReader() {
    if (m_handle) FindClose(m_handle->find);
}

bool DirectoryReader::IsOpen() const { return m_handle != nullptr; }

bool DirectoryReader::Next(DirectoryEntry& entry) {
    if (!m_handle) return false;
    for (;;) {
        if (!m_handle->pending && !FindNextFileW(m_handle->find, &m_handle->data)) return false;
        m_handle->pending = false;
        const WIN32_FIND_DATAW& data = m_handle->data;
        if (IsDotOrDotDot(data.cFileName)) continue;
        m_handle->name = Narrow(data.cFileName);
        entry.name = m_handle->name;
        if (IsLink(data))
            entry.kind =
                (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? EntryKind::DirectoryLink : EntryKind::File;
        else
            entry.kind = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? EntryKind::Directory : EntryKind::File;
        return true;
    }
}

}  // namespace tallowmark::platform
