#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pulsegrove {

// A TZ value in the POSIX form ("CST-8", "<+0530>-5:30", "EST5EDT,M3.2.0,M11.1.0") turned into
// the bytes of a minimal zone file whose closing rule is that value, so the same library that
// reads the system's zone files applies it. Scanned once from left to right, never more than
// a short rule's length: a value of any size costs no more than that to refuse.
struct PosixZoneRule {
    PosixZoneRule() = delete;

    // Longer than any real rule; the C library's own limit on abbreviations is far below it.
    static constexpr std::size_t lengthLimit = 256;

    // Which of the two changes comes first in a calendar year: the zone library extends a file
    // from its last two transitions, so their order must be the rule's (north or south).
    enum class FirstChange { toDaylightSaving, toStandardTime };

    // The zone-file bytes, or nothing when the value is not such a rule.
    static std::optional<std::string> zoneData(std::string_view rule, FirstChange first);
};

} // namespace pulsegrove
