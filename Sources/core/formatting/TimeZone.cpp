#include "formatting/TimeZone.h"

#include "formatting/PosixZoneRule.h"
#include "formatting/ZoneData.h"
#include "formatting/ZoneDatabase.h"
#include "formatting/ZoneFile.h"
#include "formatting/ZoneWarningLog.h"

#include <algorithm>
#include <limits>

namespace pulsegrove {

namespace {

// Comparisons of zones start here, before the earliest change the database lists (1835).
constexpr std::int64_t year1800 = -5364662400;

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

// What of a rule read from a file can go in a log line: printable, and short.
std::string printable(const std::string &text)
{
    constexpr std::size_t shown = 64;
    std::string result;
    for (const char c : text.substr(0, shown))
        result += c >= ' ' && c <= '~' ? c : '?';
    return text.size() > shown ? result + "..." : result;
}

} // namespace

// A zone's listed transitions, read by the zone library, and from the last of them on (counting
// those that change nothing, as the C library does) the zone's POSIX rule. The library extends a
// file from its last two transitions, which is wrong for a "slim" file that lists only the
// transitions the rule does not imply.
class TimeZone::Rules {
public:
    Rules(cctz::time_zone history, std::string identifier)
        : m_history(history), m_identifier(std::move(identifier))
    {
    }
    // A file's rule, when it has one that counts, takes over at its last listed transition.
    Rules(cctz::time_zone history, std::optional<PosixZoneRule> future, std::int64_t lastListed,
          std::string identifier)
        : m_history(history), m_future(future), m_lastListed(lastListed), m_identifier(std::move(identifier))
    {
    }

    std::int32_t offsetSeconds(std::int64_t unixSeconds) const
    {
        if (m_future && unixSeconds >= m_lastListed)
            return m_future->offsetSeconds(unixSeconds);
        return m_history.lookup(instant(unixSeconds)).offset;
    }
    std::optional<std::int64_t> nextTransition(std::int64_t after) const
    {
        if (m_future && after >= m_lastListed)
            return m_future->nextChange(after);
        const auto next = pulsegrove::nextTransition(m_history, after);
        if (!m_future)
            return next;
        return std::min(next.value_or(m_lastListed), m_lastListed);
    }
    // From this instant on the rule alone decides; without one, the last listed offset holds.
    std::int64_t lastListed() const { return m_lastListed; }
    const std::optional<PosixZoneRule> &future() const { return m_future; }
    const std::string &identifier() const { return m_identifier; }
    bool operator==(const Rules &other) const
    {
        return m_identifier == other.m_identifier && m_history == other.m_history &&
               m_future == other.m_future && m_lastListed == other.m_lastListed;
    }

private:
    cctz::time_zone m_history;
    std::optional<PosixZoneRule> m_future;
    std::int64_t m_lastListed = std::numeric_limits<std::int64_t>::min();
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
    return TimeZone(std::make_shared<const Rules>(cctz::fixed_time_zone(cctz::seconds(secondsEastOfUTC)),
                                                  std::string(identifier)));
}

std::optional<TimeZone> TimeZone::fromZoneData(const std::string &bytes, std::string identifier)
{
    auto file = ZoneFile::parse(bytes);
    if (!file)
        return std::nullopt;
    // A "right/" file counts leap seconds, which a Linux clock does not.
    file->dropLeapSeconds();
    const auto history = ZoneData::rules(file->bytes());
    if (!history)
        return std::nullopt;
    // The C library ignores the rule of a file without transitions.
    if (file->transitionTimes.empty())
        return TimeZone(std::make_shared<const Rules>(*history, std::move(identifier)));
    const auto future = file->closingRule.empty() ? std::nullopt : PosixZoneRule::parse(file->closingRule);
    if (!future && !file->closingRule.empty())
        ZoneWarningLog::report(
            "The zone file " + (identifier.empty() ? std::string() : printable(identifier) + " ") +
            "ends in \"" + printable(file->closingRule) +
            "\", which is not a POSIX zone rule: its last listed offset holds from then on");
    return TimeZone(
        std::make_shared<const Rules>(*history, future, file->transitionTimes.back(), std::move(identifier)));
}

std::optional<TimeZone> TimeZone::fromPosixRule(std::string_view rule)
{
    const auto parsed = PosixZoneRule::parse(rule);
    if (!parsed)
        return std::nullopt;
    return TimeZone(std::make_shared<const Rules>(
        cctz::utc_time_zone(), *parsed, std::numeric_limits<std::int64_t>::min(), std::string(rule)));
}

std::int32_t TimeZone::offsetSeconds(std::int64_t unixSeconds) const
{
    return m_rules->offsetSeconds(unixSeconds);
}

std::string TimeZone::identifier() const
{
    return m_rules->identifier();
}

bool TimeZone::hasSameOffsets(const TimeZone &other) const
{
    // Past the last change either lists, each zone follows its rule or keeps its last offset. The
    // same rule changes nothing more; otherwise a rule's changes repeat only with the calendar's
    // weekdays and leap years, every 400 years (146,097 days), and so the comparison runs as long.
    constexpr std::int64_t cycle = 146097 * std::int64_t(86400);
    const auto rulesFrom = std::max({year1800, m_rules->lastListed(), other.m_rules->lastListed()});
    const auto length = m_rules->future() == other.m_rules->future() ? 1 : cycle;
    // A forged file's last change can lie at the end of time.
    return hasSameOffsets(other,
                          std::min(rulesFrom, std::numeric_limits<std::int64_t>::max() - length) + length);
}

bool TimeZone::hasSameOffsets(const TimeZone &other, std::int64_t until) const
{
    // Far more changes than any zone has had or will have in four centuries, and two rules with
    // different changes over a whole cycle of them.
    constexpr int transitionLimit = 4000;
    // A comparison that covers no instant proves nothing.
    if (until <= year1800)
        return false;
    std::int64_t at = year1800;
    for (int count = 0; at < until && count < transitionLimit; ++count) {
        if (offsetSeconds(at) != other.offsetSeconds(at))
            return false;
        const auto next = std::min(m_rules->nextTransition(at).value_or(until),
                                   other.m_rules->nextTransition(at).value_or(until));
        at = std::max(next, at + 1);
    }
    return at >= until;
}

bool operator==(const TimeZone &left, const TimeZone &right)
{
    return left.m_rules == right.m_rules || *left.m_rules == *right.m_rules;
}

} // namespace pulsegrove
