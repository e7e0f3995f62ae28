#pragma once

#include <map>
#include <optional>
#include <string>

namespace pulsegrove {

// A process environment as a plain map, passed explicitly so that searches and folder mappings
// can be tested without touching the real environment.
class Environment {
public:
    Environment() = default;
    explicit Environment(std::map<std::string, std::string> variables) : m_variables(std::move(variables)) {}

    static Environment current();

    std::optional<std::string> value(const std::string &name) const;
    // Present and not empty.
    std::optional<std::string> nonEmptyValue(const std::string &name) const;
    void set(const std::string &name, std::string value) { m_variables[name] = std::move(value); }
    void unset(const std::string &name) { m_variables.erase(name); }
    const std::map<std::string, std::string> &variables() const { return m_variables; }

private:
    std::map<std::string, std::string> m_variables;
};

} // namespace pulsegrove
