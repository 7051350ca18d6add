#include "platform/LocalCalendar.h"

namespace tallowmark::platform {

bool LocalCalendar(std::time_t utc, std::tm& fields) { return localtime_r(&utc, &fields) != nullptr; }

}  // namespace tallowmark::platform

namespace tallowmark::platform {

void ReloadTimeZone() { tzset(); }

}  // namespace tallowmark::platform
