#include "support/EnvironmentScope.h"

#include <cstdlib>

namespace tallowmark::testing {

namespace {
void Put(const std::string& name, const char* value) {
#ifdef _WIN32
    _putenv_s(name.c_str(), value ? value : "");  // an empty value removes the variable
#else
    if (value) ::setenv(name.c_str(), value, 1);
    else
        ::unsetenv(name.c_str());
#endif
}
}  // namespace

void EnvironmentScope::Save(const std::string& name) {
    const char* current = std::getenv(name.c_str());
    m_saved.emplace_back(name, current ? std::optional<std::string>(current) : std::nullopt);
}

void EnvironmentScope::Set(const std::string& name, const std::string& value) {
    Save(name);
    Put(name, value.c_str());
}

void EnvironmentScope::Unset(const std::string& name) {
    Save(name);
    Put(name, nullptr);
}

void EnvironmentScope::Restore() {
    for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it)
        Put(it->first, it->second ? it->second->c_str() : nullptr);
    m_saved.clear();
}

}  // namespace tallowmark::testing
