#pragma once
// How much memory the program could ever have: what a file to be held in memory whole is
// measured against before anything is read.

#include <cstdint>

namespace tallowmark::platform {

// The smallest of the machine's physical memory, the address space and the limits the
// process runs under (in bytes).
std::uint64_t UsableMemory();

}  // namespace tallowmark::platform
