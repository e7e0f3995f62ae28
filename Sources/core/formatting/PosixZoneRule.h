#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace pulsegrove {

// A zone rule in the POSIX form ("CST-8", "<+0530>-5:30", "EST5EDT,M3.2.0,M11.1.0"): a TZ value,
// or the closing rule of a zone file, which governs every instant after its last listed
// transition. Applied as the C library applies it, so both agree on every instant from 1970 on.
// Before 1970 the C library takes every year's changes for 1970's, and so keeps standard time all
// year, or daylight-saving time where it spans New Year as in the south; this applies each year's
// own changes. No reset or expiry time lies before 1970. Scanned once from left to right, never
// more than a short rule's length: a value of any size costs no more than that to refuse.
class PosixZoneRule {
public:
    // Longer than any real rule; the C library's own limit on abbreviations is far below it.
    static constexpr std::size_t lengthLimit = 256;

    // The day of a change: "Jn" (1 to 365, February 29 never counted), "n" (0 to 365) or
    // "Mm.w.d" (day d of week w of month m, week 5 the last), and its local time in seconds
    // after midnight, negative or past a day as zone files write it.
    struct Change {
        enum class Kind : std::uint8_t { julianDay, dayOfYear, monthWeekDay };
        Kind kind = Kind::monthWeekDay;
        std::int16_t day = 0;
        std::int8_t week = 0;
        std::int8_t month = 0;
        std::int32_t secondsIntoDay = 2 * 3600;

        friend bool operator==(const Change &, const Change &) = default;
    };

    // The rule, or nothing when the value is not one: a bad name or offset, a day out of range,
    // text left over. Daylight saving without dates takes the United States' changes, and
    // without its second date the November one, as the C library does.
    static std::optional<PosixZoneRule> parse(std::string_view rule);

    // The offset east of UTC in effect at the instant.
    std::int32_t offsetSeconds(std::int64_t unixSeconds) const;
    // The first instant after the given one at which the offset changes; nothing when it never
    // does.
    std::optional<std::int64_t> nextChange(std::int64_t after) const;

    friend bool operator==(const PosixZoneRule &, const PosixZoneRule &) = default;

private:
    PosixZoneRule() = default;

    std::int32_t m_standardOffset = 0;
    std::int32_t m_daylightOffset = 0;
    bool m_hasDaylightSaving = false;
    Change m_toDaylightSaving;
    Change m_toStandardTime;
};

} // namespace pulsegrove
