#include "platform/AnsiCodePage.h"

#include <algorithm>

#include "platform/win32/WideText.h"

namespace tallowmark::platform {

std::string SystemAnsiToUtf8(std::string_view bytes) {
    if (bytes.empty()) return {};
    const int wideLength = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), wideLength);
    return Narrow(wide);
}

std::size_t SystemAnsiCharactersEnd(std::string_view bytes, std::size_t most) {
    if (bytes.size() <= most) return bytes.size();
    most = std::max<std::size_t>(most, 1);
    const auto at = [&](std::size_t i) { return static_cast<BYTE>(bytes[i]); };
    if (GetACP() == CP_UTF8) {
        // Back to the start of the character the cut would split.
        std::size_t end = most;
        while (end > 0 && end > most - 3 && (at(end) & 0xC0) == 0x80) --end;
        return end > 0 ? end : most;
    }
    CPINFO info{};
    if (!GetCPInfo(CP_ACP, &info) || info.MaxCharSize == 1) return most;
    // Double-byte code pages: lead bytes tell where each character starts.
    std::size_t end = 0;
    for (std::size_t next = 0; next <= most; next += IsDBCSLeadByteEx(CP_ACP, at(next)) ? 2 : 1) {
        end = next;
        if (next >= bytes.size()) break;
    }
    return end > 0 ? std::min(end, bytes.size()) : std::min<std::size_t>(2, bytes.size());
}

}  // namespace tallowmark::platform
