#include "formatting/TimeZone.h"

#include "formatting/PosixZoneRule.h"
#include "formatting/ZoneData.h"
#include "formatting/ZoneDatabase.h"

#include <algorithm>
#include <limits>

namespace pulsegrove {

namespace {

cctz::time_point<cctz::seconds> instant(std::int64_t unixSeconds)
{
    return cctz::time_point<cctz::seconds>(cctz::seconds(unixSeconds));
}

std::optional<std::int64_t> nextTransition(const cctz::time_zone &zone, std::int64_t after)
{
    cctz::time_zone::civil_transition transition;
    if (!zone.next_transition(instant(after), &transition))
        return std::nullopt;
    return zone.lookup(transition.to).trans.time_since_epoch().count();
}

// The zone of a POSIX rule, in whichever order of the year's two changes the library accepts.
std::optional<cctz::time_zone> posixRules(std::string_view rule)
{
    using First = PosixZoneRule::FirstChange;
    for (const auto first : {First::toDaylightSaving, First::toStandardTime}) {
        const auto bytes = PosixZoneRule::zoneData(rule, first);
        if (!bytes)
            return std::nullopt;
        if (auto zone = ZoneData::rules(*bytes))
            return zone;
    }
    return std::nullopt;
}

} // namespace

// A zone's history, and, when the library cannot apply a file's closing rule itself (a "slim"
// file, which lists only the transitions that rule does not imply), that rule from the last
// listed transition on.
class TimeZone::Rules {
public:
    Rules(cctz::time_zone history, std::string identifier) : m_history(history), m_identifier(std::move(identifier)) {}
    Rules(cctz::time_zone history, cctz::time_zone future, std::string identifier)
        : m_history(history), m_future(future), m_identifier(std::move(identifier))
    {
        cctz::time_zone::civil_transition last;
        if (m_history.prev_transition(instant(std::int64_t(1) << 40), &last))
            m_futureFrom = m_history.lookup(last.to).trans.time_since_epoch().count();
    }

    const cctz::time_zone &zoneAt(std::int64_t unixSeconds) const
    {
        return m_future && unixSeconds >= m_futureFrom ? *m_future : m_history;
    }
    std::optional<std::int64_t> nextTransition(std::int64_t after) const
    {
        const auto next = pulsegrove::nextTransition(zoneAt(after), after);
        if (!m_future || after >= m_futureFrom)
            return next;
        return std::min(next.value_or(m_futureFrom), m_futureFrom);
    }
    const std::string &identifier() const { return m_identifier; }
    bool operator==(const Rules &other) const
    {
        return m_identifier == other.m_identifier && m_history == other.m_history && m_future == other.m_future;
    }

private:
    cctz::time_zone m_history;
    std::optional<cctz::time_zone> m_future;
    std::int64_t m_futureFrom = std::numeric_limits<std::int64_t>::min();
    std::string m_identifier;
};

TimeZone TimeZone::utc()
{
    // Made once and shared: every fallback lands here, and it needs no zone data at all.
    static const auto rules = std::make_shared<const Rules>(cctz::utc_time_zone(), "UTC");
    return TimeZone(rules);
}

std::optional<TimeZone> TimeZone::named(std::string_view identifier)
{
    return named(identifier, ZoneDatabase::installedFolder);
}

std::optional<TimeZone> TimeZone::named(std::string_view identifier, const std::filesystem::path &database)
{
    return ZoneDatabase(database).named(identifier);
}

TimeZone TimeZone::fixed(std::int32_t secondsEastOfUTC, std::string_view identifier)
{
    return TimeZone(
        std::make_shared<const Rules>(cctz::fixed_time_zone(cctz::seconds(secondsEastOfUTC)), std::string(identifier)));
}

std::optional<TimeZone> TimeZone::fromZoneData(const std::string &bytes, std::string identifier)
{
    if (const auto zone = ZoneData::rules(bytes))
        return TimeZone(std::make_shared<const Rules>(*zone, std::move(identifier)));
    const auto footer = ZoneData::footer(bytes);
    if (footer.empty())
        return std::nullopt;
    // The file without its closing rule, then that rule on its own.
    const auto history = ZoneData::rules(bytes.substr(0, bytes.size() - footer.size() - 1) + "\n");
    const auto future = history ? posixRules(footer) : std::nullopt;
    if (!future)
        return std::nullopt;
    return TimeZone(std::make_shared<const Rules>(*history, *future, std::move(identifier)));
}

std::optional<TimeZone> TimeZone::fromPosixRule(std::string_view rule)
{
    const auto zone = posixRules(rule);
    return zone ? std::optional(TimeZone(std::make_shared<const Rules>(*zone, std::string(rule)))) : std::nullopt;
}

std::int32_t TimeZone::offsetSeconds(std::int64_t unixSeconds) const
{
    return m_rules->zoneAt(unixSeconds).lookup(instant(unixSeconds)).offset;
}

std::string TimeZone::identifier() const
{
    return m_rules->identifier();
}

bool TimeZone::hasSameOffsets(const TimeZone &other) const
{
    constexpr std::int64_t year1800 = -5364662400, year2200 = 7258118400;
    // Far more changes than any zone has had or will have in those four centuries.
    constexpr int transitionLimit = 4000;
    std::int64_t at = year1800;
    for (int count = 0; at < year2200 && count < transitionLimit; ++count) {
        if (offsetSeconds(at) != other.offsetSeconds(at))
            return false;
        const auto next = std::min(m_rules->nextTransition(at).value_or(year2200),
                                   other.m_rules->nextTransition(at).value_or(year2200));
        at = std::max(next, at + 1);
    }
    return at >= year2200;
}

bool operator==(const TimeZone &left, const TimeZone &right)
{
    return left.m_rules == right.m_rules || *left.m_rules == *right.m_rules;
}

} // namespace pulsegrove
