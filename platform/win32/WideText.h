#pragma once
// UTF-8 paths to the UTF-16 the wide Win32 calls take.

#include <string>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace tallowmark::platform {

inline std::wstring Widen(const std::string& utf8) {
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    std::wstring wide(length > 0 ? length : 1, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, wide.data(), length);
    return wide;
}

}  // namespace tallowmark::platform
