#pragma once
// FAT date-times, as URL records keep their expiry, last-checked and cached-file creation
// times: a u32 with the date in its low half (day, month, years since 1980) and the time
// of day in its high half (seconds / 2, minutes, hours), to two seconds.

#include <cstdint>
#include <optional>

#include "model/TimeText.h"

namespace tallowmark {

struct FatDateTime {
    enum class State : std::uint8_t { Unset, Never, Set, Invalid };
    State state = State::Unset;
    FileTime time = 0;  // when Set: 100-ns ticks since 1601, whole seconds
};

// 0 is unset, all ones never; a day, month or time of day that no calendar has is Invalid.
FatDateTime DecodeFatDateTime(std::uint32_t value);

}  // namespace tallowmark
