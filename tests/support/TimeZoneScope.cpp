#include "support/TimeZoneScope.h"

#include <cstdlib>
#include <ctime>

#include "platform/LocalCalendar.h"

namespace tallowmark::testing {

namespace {
void SetZoneVariable(const char* zone) {
#ifdef _WIN32
    _putenv_s("TZ", zone ? zone : "");  // an empty value removes the variable
#else
    if (zone) setenv("TZ", zone, 1);
    else
        unsetenv("TZ");
#endif
}
}  // namespace

TimeZoneScope::TimeZoneScope(const std::string& zone) {
    if (const char* current = std::getenv("TZ")) m_previous = current;
    SetZoneVariable(zone.c_str());
    platform::ReloadTimeZone();
}

TimeZoneScope::~TimeZoneScope() {
    SetZoneVariable(m_previous ? m_previous->c_str() : nullptr);
    platform::ReloadTimeZone();
}

}  // namespace tallowmark::testing
