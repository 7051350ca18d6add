#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tallowmark::testing {

// Environment variables set or removed for the scope's life, then put back as they were.
class EnvironmentScope {
public:
    EnvironmentScope() = default;
    EnvironmentScope(const std::string& name, const std::string& value) { Set(name, value); }
    ~EnvironmentScope() { Restore(); }
    EnvironmentScope(const EnvironmentScope&) = delete;
    EnvironmentScope& operator=(const EnvironmentScope&) = delete;

    void Set(const std::string& name, const std::string& value);
    void Unset(const std::string& name);
    // Puts every variable changed back at once, the last change first.
    void Restore();

private:
    void Save(const std::string& name);

    std::vector<std::pair<std::string, std::optional<std::string>>> m_saved;
};

}  // namespace tallowmark::testing
