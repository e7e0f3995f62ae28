#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace pulsegrove {

// A time zone with its full rules, past and future, as a small copyable value. The rules come
// from the system's zone files, the ones the C library and `date` read, including the rule that
// governs every instant after a file's last listed transition, so an instant in 2040 gets the
// same daylight-saving treatment as one today.
class TimeZone {
public:
    static TimeZone utc();
    // A zone of the installed database by its identifier ("Asia/Shanghai", "US/Eastern"), under
    // its canonical identifier ("America/New_York"); nothing for a name the database does not
    // hold. Custom offsets such as "GMT+8" are not identifiers: TZ reads them the other way
    // round, so they are refused rather than misread.
    static std::optional<TimeZone> named(std::string_view identifier);
    static std::optional<TimeZone> named(std::string_view identifier, const std::filesystem::path &database);
    // A zone fixed at the given offset east of UTC.
    static TimeZone fixed(std::int32_t secondsEastOfUTC, std::string_view identifier);
    // The zone a zone file's bytes describe, nothing when they are not zone data.
    static std::optional<TimeZone> fromZoneData(const std::string &bytes, std::string identifier);
    // The zone a POSIX TZ rule describes ("CST-8", "EST5EDT,M3.2.0,M11.1.0"), under that rule as
    // its identifier; nothing when it is not such a rule.
    static std::optional<TimeZone> fromPosixRule(std::string_view rule);

    // The offset from UTC, daylight saving included, in effect at the instant.
    std::int32_t offsetSeconds(std::int64_t unixSeconds) const;
    std::string identifier() const;
    // The same offset at every instant from 1800 on, through every change either zone lists and a
    // whole cycle of the rules that follow them, whatever the names: a slim zone file and the fat one
    // of the same zone describe one zone in different bytes.
    bool hasSameOffsets(const TimeZone &other) const;
    // The same from 1800 until the given instant; never when that leaves no instant to compare.
    bool hasSameOffsets(const TimeZone &other, std::int64_t until) const;

    friend bool operator==(const TimeZone &, const TimeZone &);

private:
    class Rules;
    explicit TimeZone(std::shared_ptr<const Rules> rules) : m_rules(std::move(rules)) {}

    // Shared: the rules never change once made, so copies need not duplicate them.
    std::shared_ptr<const Rules> m_rules;
};

} // namespace pulsegrove
