#include "platform/MemoryLimit.h"

#include <algorithm>
#include <cstdint>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace tallowmark::platform {

std::uint64_t UsableMemory() {
    std::uint64_t most = SIZE_MAX;
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    if (GlobalMemoryStatusEx(&status)) most = std::min({most, status.ullTotalPhys, status.ullTotalVirtual});
    return most;
}

void GiveBackLargeBlocks() {}  // the heap gives large blocks back by itself

}  // namespace tallowmark::platform
