#include "formatting/SystemTimeZone.h"

#include <date/tz.h>
#include <string_view>

namespace pulsegrove {

namespace {

const date::time_zone *zoneNamed(std::string_view name)
{
    try {
        return date::locate_zone(name);
    } catch (const std::exception &) {
        return nullptr;
    }
}

// TZ may read "Area/City", ":Area/City" or a path into the zone database.
std::string_view zoneNameInTZ(std::string_view value)
{
    if (value.starts_with(':'))
        value.remove_prefix(1);
    constexpr std::string_view databaseFolder = "zoneinfo/";
    if (const auto position = value.rfind(databaseFolder); value.starts_with('/') && position != value.npos)
        value.remove_prefix(position + databaseFolder.size());
    return value;
}

} // namespace

const date::time_zone *SystemTimeZone::current(const Environment &environment)
{
    if (const auto tz = environment.nonEmptyValue("TZ")) {
        if (const auto *zone = zoneNamed(zoneNameInTZ(*tz)))
            return zone;
    }
    try {
        return date::current_zone();
    } catch (const std::exception &) {
        return zoneNamed("UTC");
    }
}

} // namespace pulsegrove
