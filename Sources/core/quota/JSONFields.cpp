#include "quota/JSONFields.h"

#include "quota/DecodingError.h"

#include <cmath>
#include <limits>

namespace pulsegrove::JSONFields {

namespace {

// 2^63 as a double; every double below it (and at or above its negative) converts without overflow.
constexpr double twoToThe63 = 9223372036854775808.0;

[[noreturn]] void fail(std::string_view key, std::string_view problem)
{
    throw DecodingError("\"" + std::string(key) + "\" " + std::string(problem));
}

} // namespace

std::optional<std::int64_t> integerValue(const nlohmann::json &value)
{
    if (value.is_number_unsigned()) {
        const auto number = value.get<std::uint64_t>();
        if (number > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
            return std::nullopt;
        return static_cast<std::int64_t>(number);
    }
    if (value.is_number_integer())
        return value.get<std::int64_t>();
    if (value.is_number_float()) {
        const double number = value.get<double>();
        if (std::isfinite(number) && number == std::trunc(number) && number >= -twoToThe63 &&
            number < twoToThe63)
            return static_cast<std::int64_t>(number);
    }
    return std::nullopt;
}

const nlohmann::json &requireObject(const nlohmann::json &value, std::string_view what)
{
    if (!value.is_object())
        throw DecodingError(std::string(what) + " is not a JSON object");
    return value;
}

const nlohmann::json *presentMember(const nlohmann::json &object, std::string_view key)
{
    const auto found = object.find(key);
    if (found == object.end() || found->is_null())
        return nullptr;
    return &*found;
}

std::int64_t requiredInteger(const nlohmann::json &object, std::string_view key)
{
    const auto *member = presentMember(object, key);
    if (!member)
        fail(key, "is missing");
    const auto number = integerValue(*member);
    if (!number)
        fail(key, "is not a 64-bit integer");
    return *number;
}

std::optional<std::int64_t> optionalInteger(const nlohmann::json &object, std::string_view key)
{
    const auto *member = presentMember(object, key);
    if (!member)
        return std::nullopt;
    const auto number = integerValue(*member);
    if (!number)
        fail(key, "is not a 64-bit integer");
    return number;
}

std::optional<std::string> optionalString(const nlohmann::json &object, std::string_view key)
{
    const auto *member = presentMember(object, key);
    if (!member)
        return std::nullopt;
    if (!member->is_string())
        fail(key, "is not a string");
    return member->get<std::string>();
}

} // namespace pulsegrove::JSONFields
