#pragma once

#include <string>

namespace tallowmark::testing {

// Keeps a file open for reading and writing, sharing reading and writing with others,
// as a browser holds its index file while it runs.
class HeldOpenFile {
public:
    explicit HeldOpenFile(const std::string& path);
    ~HeldOpenFile();
    HeldOpenFile(const HeldOpenFile&) = delete;
    HeldOpenFile& operator=(const HeldOpenFile&) = delete;

    bool IsOpen() const;

private:
#ifdef _WIN32
    void* m_handle = nullptr;  // a HANDLE
#else
    int m_fd = -1;
#endif
};

}  // namespace tallowmark::testing
