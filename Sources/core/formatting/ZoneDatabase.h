#pragma once

#include "formatting/TimeZone.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace pulsegrove {

// The folder of zone files the C library reads (TZDIR, else /usr/share/zoneinfo): zones by
// name, the canonical name behind an alias, and the name of a zone file that was copied out.
class ZoneDatabase {
public:
    static inline const std::filesystem::path installedFolder = "/usr/share/zoneinfo";
    // Zone files are a few KB; anything far larger is not one, and is not read whole.
    static constexpr std::size_t zoneFileSizeLimit = 512 * 1024;

    explicit ZoneDatabase(std::filesystem::path folder) : m_folder(std::move(folder)) {}

    // The bytes of the zone file at the path, nothing when it holds no zone data. Links are
    // followed (the database's aliases and /etc/localtime are links by design); a FIFO, a device
    // or a file over the cap is refused without waiting or reading it whole.
    static std::optional<std::string> zoneFileBytes(const std::filesystem::path &path);

    // The zone of a name in the database, under its canonical name.
    std::optional<TimeZone> named(std::string_view identifier) const;
    // The canonical name of the zone the identifier names, when its file describes the same zone
    // as these bytes: a name only counts when it agrees with the content.
    std::optional<std::string> identifierIfSame(std::string_view identifier, const std::string &bytes) const;
    // The name of a database file describing the same zone as these bytes, for a copied file;
    // an "Area/City" name is preferred among several. The walk is kept for the last content.
    std::optional<std::string> identifierOfSameZone(const std::string &bytes) const;
    // The identifier a path into a zone folder stands for: what follows this database's folder
    // or "zoneinfo/", without the "posix/" or "right/" variant folders.
    std::optional<std::string> identifierInPath(const std::filesystem::path &path) const;

    const std::filesystem::path &folder() const { return m_folder; }

private:
    std::optional<std::string> canonicalIdentifier(std::string_view identifier) const;

    std::filesystem::path m_folder;
};

} // namespace pulsegrove
