#include "platform/MemoryLimit.h"

#include <algorithm>
#include <cstdint>
#include <sys/resource.h>
#include <unistd.h>

namespace tallowmark::platform {

std::uint64_t UsableMemory() {
    std::uint64_t most = SIZE_MAX;
    const long pages = ::sysconf(_SC_PHYS_PAGES), pageSize = ::sysconf(_SC_PAGESIZE);
    if (pages > 0 && pageSize > 0)
        most = std::min(most, static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize));
    for (const int resource : {RLIMIT_AS, RLIMIT_DATA}) {
        struct rlimit limit {};
        if (::getrlimit(resource, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
            most = std::min(most, static_cast<std::uint64_t>(limit.rlim_cur));
    }
    return most;
}

}  // namespace tallowmark::platform
