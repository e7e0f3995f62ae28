#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

namespace pulsegrove::JSONFields {

// Small readers shared by the quota models. "Strict" readers throw DecodingError naming the key;
// "optional" ones give nothing for an absent or null member and throw for a wrong type.

// A JSON number whose value is a whole number that fits 64 bits (5 and 5.0 do, 5.5 and 2^63 do not).
std::optional<std::int64_t> integerValue(const nlohmann::json &value);

// The object itself, or DecodingError when the value is not an object.
const nlohmann::json &requireObject(const nlohmann::json &value, std::string_view what);

// The member, or nullptr when it is absent or null.
const nlohmann::json *presentMember(const nlohmann::json &object, std::string_view key);

std::int64_t requiredInteger(const nlohmann::json &object, std::string_view key);
std::optional<std::int64_t> optionalInteger(const nlohmann::json &object, std::string_view key);
std::optional<std::string> optionalString(const nlohmann::json &object, std::string_view key);

// Writes the member only when the value is present: absent members are never written as null.
template <typename T>
void writeIfPresent(nlohmann::json &object, const char *key, const std::optional<T> &value)
{
    if (value)
        object[key] = *value;
}

} // namespace pulsegrove::JSONFields
