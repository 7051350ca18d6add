#include "support/TimeZoneScope.h"

#include <cstdlib>
#include <ctime>

namespace tallowmark::testing {

TimeZoneScope::TimeZoneScope(const std::string& zone) {
    if (const char* current = std::getenv("TZ")) m_previous = current;
    setenv("TZ", zone.c_str(), 1);
    tzset();
}

TimeZoneScope::~TimeZoneScope() {
    if (m_previous) setenv("TZ", m_previous->c_str(), 1);
    else unsetenv("TZ");
    tzset();
}

}  // namespace tallowmark::testing
