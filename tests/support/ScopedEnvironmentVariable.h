#pragma once

#include <optional>
#include <string>

namespace pulsegrove::testing {

// Sets (or unsets) one variable of the real process environment for a scope, then restores it.
class ScopedEnvironmentVariable {
public:
    ScopedEnvironmentVariable(std::string name, std::optional<std::string> value);
    ~ScopedEnvironmentVariable();
    ScopedEnvironmentVariable(const ScopedEnvironmentVariable &) = delete;
    ScopedEnvironmentVariable &operator=(const ScopedEnvironmentVariable &) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_previous;
};

} // namespace pulsegrove::testing
