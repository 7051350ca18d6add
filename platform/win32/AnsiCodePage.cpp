#include "platform/AnsiCodePage.h"

#include "platform/win32/WideText.h"

namespace tallowmark::platform {

std::string SystemAnsiToUtf8(std::string_view bytes) {
    if (bytes.empty()) return {};
    const int wideLength = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), wideLength);
    return Narrow(wide);
}

}  // namespace tallowmark::platform
