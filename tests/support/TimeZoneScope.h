#pragma once

#include <optional>
#include <string>

namespace tallowmark::testing {

// Sets TZ for the scope's life and restores what was there before.
class TimeZoneScope {
public:
    explicit TimeZoneScope(const std::string& zone);
    ~TimeZoneScope();
    TimeZoneScope(const TimeZoneScope&) = delete;
    TimeZoneScope& operator=(const TimeZoneScope&) = delete;

private:
    std::optional<std::string> m_previous;
};

}  // namespace tallowmark::testing
