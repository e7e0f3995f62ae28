#include "foundation/Environment.h"

#include <cstring>

extern char **environ;

namespace pulsegrove {

Environment Environment::current()
{
    std::map<std::string, std::string> variables;
    for (char **entry = environ; entry && *entry; ++entry) {
        const char *separator = std::strchr(*entry, '=');
        if (!separator)
            continue;
        variables.emplace(std::string(*entry, static_cast<std::size_t>(separator - *entry)), std::string(separator + 1));
    }
    return Environment(std::move(variables));
}

std::optional<std::string> Environment::value(const std::string &name) const
{
    const auto found = m_variables.find(name);
    if (found == m_variables.end())
        return std::nullopt;
    return found->second;
}

std::optional<std::string> Environment::nonEmptyValue(const std::string &name) const
{
    auto found = value(name);
    if (!found || found->empty())
        return std::nullopt;
    return found;
}

} // namespace pulsegrove
