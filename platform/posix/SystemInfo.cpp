#include "platform/SystemInfo.h"

namespace tallowmark::platform {

std::uint32_t PlatformId() { return 1; }

std::optional<LockKeys> ReadLockKeys() { return std::nullopt; }

}  // namespace tallowmark::platform
