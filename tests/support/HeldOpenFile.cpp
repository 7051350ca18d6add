#include "support/HeldOpenFile.h"

#ifdef _WIN32
#include "platform/win32/WideText.h"
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace tallowmark::testing {

#ifdef _WIN32
HeldOpenFile::HeldOpenFile(const std::string& path) {
    HANDLE file =
        CreateFileW(platform::Widen(path).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) m_handle = file;
}

HeldOpenFile::~HeldOpenFile() {
    if (m_handle) CloseHandle(m_handle);
}

bool HeldOpenFile::IsOpen() const { return m_handle != nullptr; }
#else
HeldOpenFile::HeldOpenFile(const std::string& path) : m_fd(::open(path.c_str(), O_RDWR | O_CLOEXEC)) {}

HeldOpenFile::~HeldOpenFile() {
    if (m_fd >= 0) ::close(m_fd);
}

bool HeldOpenFile::IsOpen() const { return m_fd >= 0; }
#endif

}  // namespace tallowmark::testing
