#include "support/TimeZoneScope.h"

#include "platform/LocalCalendar.h"

namespace tallowmark::testing {

TimeZoneScope::TimeZoneScope(const std::string& zone) : m_variable("TZ", zone) { platform::ReloadTimeZone(); }

TimeZoneScope::~TimeZoneScope() {
    m_variable.Restore();
    platform::ReloadTimeZone();
}

}  // namespace tallowmark::testing
