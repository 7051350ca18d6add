#pragma once
// Thread-safe local-time splitting (localtime_r / localtime_s).

#include <ctime>

namespace tallowmark::platform {

bool LocalCalendar(std::time_t utc, std::tm& fields);

}  // namespace tallowmark::platform

namespace tallowmark::platform {

// Makes the C library read the time-zone setting again (tzset / _tzset).
void ReloadTimeZone();

}  // namespace tallowmark::platform
