#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pulsegrove {

// What the bytes of a TZif file say, read as the C library reads them: the block of 64-bit times
// of a version 2 or later file (the only block of a version 1 file) and the closing rule after it.
struct ZoneFile {
    struct Type {
        std::int32_t offset = 0;
        bool isDaylightSaving = false;
        std::uint8_t abbreviationIndex = 0;
    };
    // From the occurrence on (in the file's own count of seconds), the clock counts correction
    // more seconds than a POSIX clock.
    struct LeapSecond {
        std::int64_t occurrence = 0;
        std::int32_t correction = 0;
    };

    std::vector<std::int64_t> transitionTimes;
    std::vector<std::uint8_t> transitionTypes;
    std::vector<Type> types;
    std::string abbreviations;
    std::vector<LeapSecond> leapSeconds;
    std::string closingRule;

    // Nothing when the bytes are not zone data: a wrong magic, counts that do not fit in the
    // bytes (the zone library sizes its buffers from them), no types, or an index out of range.
    static std::optional<ZoneFile> parse(const std::string &bytes);

    // The same zone on a clock that counts no leap seconds, as a Linux clock does: each
    // transition moved back by the leap seconds counted before it, and the records dropped.
    void dropLeapSeconds();
    // A version 2 file with these transitions and types, without leap seconds or closing rule.
    std::string bytes() const;
};

} // namespace pulsegrove
