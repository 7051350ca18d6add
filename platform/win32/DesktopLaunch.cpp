#include "platform/DesktopLaunch.h"

#include "platform/win32/WideText.h"

#include <shellapi.h>

namespace tallowmark::platform {

LaunchResult OpenWithDefaultApplication(const std::string& target) {
    // The shell's default verb for the file or address, as Explorer's double-click.
    const std::wstring wide = Widen(target);
    const auto code =
        reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, nullptr, wide.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (code > 32) return LaunchResult::Started;
    return code == SE_ERR_NOASSOC || code == SE_ERR_ASSOCINCOMPLETE ? LaunchResult::NoApplication
                                                                    : LaunchResult::Failed;
}

}  // namespace tallowmark::platform
