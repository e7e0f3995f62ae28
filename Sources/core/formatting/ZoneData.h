#pragma once

#include <cctz/time_zone.h>
#include <optional>
#include <string>

namespace pulsegrove {

// Zone rules made from the bytes of a TZif file (as the C library reads it, the rule that follows
// the last stored transition included). Files are read by our own careful reader, never by the
// library's, so a FIFO or a huge file put in the database's place cannot stall or exhaust us.
struct ZoneData {
    ZoneData() = delete;

    // The rules these bytes hold, nothing when they are not zone data. Each distinct content is
    // turned into rules once and kept for the process's lifetime.
    static std::optional<cctz::time_zone> rules(const std::string &bytes);
    // Whether the bytes start like zone data and their counts fit in them: the library sizes
    // its buffers from these counts, so a forged header must never reach it.
    static bool isWellFormed(const std::string &bytes);
    // The rule after the last transition (the line that ends a version 2 or later file).
    static std::string footer(const std::string &bytes);
};

} // namespace pulsegrove
