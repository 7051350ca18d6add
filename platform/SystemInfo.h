#pragma once

#include <cstdint>
#include <optional>

namespace tallowmark::platform {

// 2 on the Windows NT family, 1 elsewhere (and when Windows can't tell).
std::uint32_t PlatformId();

struct LockKeys {
    bool capsLock, numLock, scrollLock;
};
// The lock keys' states, where the system lets a program read them.
std::optional<LockKeys> ReadLockKeys();

}  // namespace tallowmark::platform
