#pragma once

#include <cstdint>
#include <string>

#include "model/TimeText.h"
#include "support/EnvironmentScope.h"

namespace tallowmark::testing {

// Sets TZ for the scope's life and restores what was there before.
class TimeZoneScope {
public:
    explicit TimeZoneScope(const std::string& zone);
    ~TimeZoneScope();
    TimeZoneScope(const TimeZoneScope&) = delete;
    TimeZoneScope& operator=(const TimeZoneScope&) = delete;

private:
    EnvironmentScope m_variable;
};

// Pins "now" (seconds since 1970), whose offset from UTC record times are shifted by, for
// the scope's life: for tests that must not depend on the season they run in.
class PresentTimeScope {
public:
    explicit PresentTimeScope(std::int64_t now) { OverridePresentTimeForTesting(now); }
    ~PresentTimeScope() { OverridePresentTimeForTesting(std::nullopt); }
    PresentTimeScope(const PresentTimeScope&) = delete;
    PresentTimeScope& operator=(const PresentTimeScope&) = delete;
};

}  // namespace tallowmark::testing
