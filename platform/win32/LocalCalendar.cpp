#include "platform/LocalCalendar.h"

namespace tallowmark::platform {

bool LocalCalendar(std::time_t utc, std::tm& fields) { return localtime_s(&fields, &utc) == 0; }

}  // namespace tallowmark::platform

namespace tallowmark::platform {

void ReloadTimeZone() { _tzset(); }

}  // namespace tallowmark::platform
