#pragma once
// How much memory the program could ever have: what a file to be held in memory whole is
// measured against before anything is read.

#include <cstdint>

namespace tallowmark::platform {

// The smallest of the machine's physical memory, the address space and the limits the
// process runs under (in bytes).
std::uint64_t UsableMemory();

// Large blocks (a sort's keys, a list's rows) go back to the system as soon as they are
// freed, so that one sort after another does not keep the last one's room as well. Called
// once, before the first of them.
void GiveBackLargeBlocks();

}  // namespace tallowmark::platform
