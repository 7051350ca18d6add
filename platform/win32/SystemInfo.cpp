#include "platform/SystemInfo.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace tallowmark::platform {

std::uint32_t PlatformId() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
#ifdef _MSC_VER
#pragma warning(suppress : 4996)
#endif
    if (!GetVersionExA(&info)) return 1;
    return info.dwPlatformId;
}

std::optional<LockKeys> ReadLockKeys() {
    return LockKeys{(GetKeyState(VK_CAPITAL) & 1) != 0, (GetKeyState(VK_NUMLOCK) & 1) != 0,
                    (GetKeyState(VK_SCROLL) & 1) != 0};
}

}  // namespace tallowmark::platform
