#pragma once

#include <compare>

namespace pulsegrove {

// An instant held as seconds since 2001-01-01 00:00:00 UTC in a double, the form the quota
// cache's "fetchedAt" is stored in, so it round-trips exactly.
class Date {
public:
    // Seconds between 1970-01-01 and 2001-01-01, both UTC.
    static constexpr double unixEpochToReferenceDate = 978307200.0;

    constexpr Date() = default;
    static constexpr Date fromReferenceSeconds(double seconds) { return Date(seconds); }
    static constexpr Date fromUnixSeconds(double seconds) { return Date(seconds - unixEpochToReferenceDate); }
    // The wall clock, read once.
    static Date now();

    constexpr double secondsSinceReferenceDate() const { return m_seconds; }
    constexpr double unixSeconds() const { return m_seconds + unixEpochToReferenceDate; }
    // this - other, in seconds.
    constexpr double timeIntervalSince(Date other) const { return m_seconds - other.m_seconds; }
    constexpr Date addingSeconds(double seconds) const { return Date(m_seconds + seconds); }

    friend constexpr bool operator==(Date, Date) = default;
    friend constexpr auto operator<=>(Date, Date) = default;

private:
    constexpr explicit Date(double seconds) : m_seconds(seconds) {}
    double m_seconds = 0.0;
};

} // namespace pulsegrove
