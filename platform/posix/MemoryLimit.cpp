#include "platform/MemoryLimit.h"

#include <algorithm>
#include <cstdint>
#include <sys/resource.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif
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

void GiveBackLargeBlocks() {
#if defined(__GLIBC__)
    // A fixed threshold: glibc otherwise raises it to the size of each large block freed,
    // and keeps the next such block in its heap after it is freed.
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
#endif
}

}  // namespace tallowmark::platform
