#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace pulsegrove {

// A time zone with its full rules, past and future, as a small copyable value. The rules come
// from ICU, which applies each zone's recurring rule after its last listed transition, so an
// instant in 2040 gets the same daylight-saving treatment as one today.
class TimeZone {
public:
    static TimeZone utc();
    // A zone of the time-zone database by its identifier ("Asia/Shanghai", "Etc/GMT+8"), nothing
    // for a name the database does not hold. Custom offsets such as "GMT+8" are not identifiers:
    // TZ reads them the other way round, so they are refused rather than misread.
    static std::optional<TimeZone> named(std::string_view identifier);
    // A zone fixed at the given offset east of UTC, for example from a TZ of "CST-8".
    static TimeZone fixed(std::int32_t secondsEastOfUTC, std::string_view identifier);

    // The offset from UTC, daylight saving included, in effect at the instant.
    std::int32_t offsetSeconds(std::int64_t unixSeconds) const;
    std::string identifier() const;

    friend bool operator==(const TimeZone &, const TimeZone &);

private:
    class Rules;
    explicit TimeZone(std::shared_ptr<const Rules> rules) : m_rules(std::move(rules)) {}

    // Shared: the rules never change once made, so copies need not duplicate them.
    std::shared_ptr<const Rules> m_rules;
};

} // namespace pulsegrove
