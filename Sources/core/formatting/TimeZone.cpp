#include "formatting/TimeZone.h"

#include <unicode/simpletz.h>
#include <unicode/timezone.h>
#include <unicode/unistr.h>

namespace pulsegrove {

class TimeZone::Rules {
public:
    explicit Rules(std::unique_ptr<icu::TimeZone> zone) : m_zone(std::move(zone)) {}
    const icu::TimeZone &zone() const { return *m_zone; }

private:
    std::unique_ptr<icu::TimeZone> m_zone;
};

TimeZone TimeZone::utc()
{
    // Made once and shared: every fallback lands here, and it needs no zone data at all.
    static const auto rules = std::make_shared<const Rules>(std::make_unique<icu::SimpleTimeZone>(0, u"UTC"));
    return TimeZone(rules);
}

std::optional<TimeZone> TimeZone::named(std::string_view identifier)
{
    if (identifier.empty())
        return std::nullopt;
    const auto id =
        icu::UnicodeString::fromUTF8(icu::StringPiece(identifier.data(), std::int32_t(identifier.size())));
    UErrorCode status = U_ZERO_ERROR;
    icu::UnicodeString canonical;
    UBool isSystemID = false;
    icu::TimeZone::getCanonicalID(id, canonical, isSystemID, status);
    if (U_FAILURE(status) || !isSystemID)
        return std::nullopt;
    std::unique_ptr<icu::TimeZone> zone(icu::TimeZone::createTimeZone(id));
    if (!zone || *zone == icu::TimeZone::getUnknown())
        return std::nullopt;
    return TimeZone(std::make_shared<const Rules>(std::move(zone)));
}

TimeZone TimeZone::fixed(std::int32_t secondsEastOfUTC, std::string_view identifier)
{
    const auto id =
        icu::UnicodeString::fromUTF8(icu::StringPiece(identifier.data(), std::int32_t(identifier.size())));
    return TimeZone(
        std::make_shared<const Rules>(std::make_unique<icu::SimpleTimeZone>(secondsEastOfUTC * 1000, id)));
}

std::int32_t TimeZone::offsetSeconds(std::int64_t unixSeconds) const
{
    std::int32_t rawOffset = 0;
    std::int32_t daylightOffset = 0;
    UErrorCode status = U_ZERO_ERROR;
    m_rules->zone().getOffset(double(unixSeconds) * 1000.0, false, rawOffset, daylightOffset, status);
    if (U_FAILURE(status))
        return 0;
    return (rawOffset + daylightOffset) / 1000;
}

std::string TimeZone::identifier() const
{
    icu::UnicodeString id;
    m_rules->zone().getID(id);
    std::string text;
    id.toUTF8String(text);
    return text;
}

bool operator==(const TimeZone &left, const TimeZone &right)
{
    return left.m_rules == right.m_rules || left.m_rules->zone() == right.m_rules->zone();
}

} // namespace pulsegrove
