#include "formatting/SystemTimeZone.h"

#include "foundation/SmallFileReader.h"

#include <algorithm>
#include <mutex>
#include <regex>
#include <string_view>
#include <vector>

namespace pulsegrove {

namespace fs = std::filesystem;

namespace {

// Zone files are a few KB; anything far larger is not one, and is not read whole.
constexpr std::size_t zoneFileSizeLimit = 512 * 1024;
// The database holds about two thousand entries; a folder far larger is not one to walk.
constexpr int databaseEntryLimit = 20000;

// /etc/localtime and the database's entries are links by design.
std::optional<std::string> smallRegularFile(const fs::path &path)
{
    auto result = SmallFileReader::read(path, zoneFileSizeLimit, SmallFileReader::Links::follow);
    return result.isRead() ? std::optional(std::move(result.content)) : std::nullopt;
}

bool isZoneFileData(std::string_view bytes)
{
    return bytes.starts_with("TZif");
}

// The zone's identifier within a path into the database: what follows "zoneinfo/" or the
// database folder itself, without the "posix/" or "right/" variant folders.
std::optional<std::string> identifierInPath(const fs::path &path, const fs::path &database)
{
    const std::string text = path.lexically_normal().generic_string();
    std::string identifier;
    const std::string databasePrefix = database.lexically_normal().generic_string() + "/";
    constexpr std::string_view marker = "/zoneinfo/";
    if (text.starts_with(databasePrefix))
        identifier = text.substr(databasePrefix.size());
    else if (const auto position = text.rfind(marker); position != std::string::npos)
        identifier = text.substr(position + marker.size());
    else
        return std::nullopt;
    for (const std::string_view variant : {"posix/", "right/"}) {
        if (identifier.starts_with(variant))
            identifier.erase(0, variant.size());
    }
    return identifier;
}

std::optional<TimeZone> zoneNamedByPath(const fs::path &path, const fs::path &database)
{
    const auto identifier = identifierInPath(path, database);
    return identifier ? TimeZone::named(*identifier) : std::nullopt;
}

// A zone whose database file holds exactly these bytes, for a zone file that was copied rather
// than linked. Several names may share one file; an "Area/City" name is preferred.
std::optional<std::string> identifierOfSameFile(const std::string &bytes, const fs::path &database)
{
    std::error_code error;
    fs::recursive_directory_iterator entries(database, fs::directory_options::skip_permission_denied, error);
    std::vector<std::string> matches;
    int visited = 0;
    for (; !error && entries != fs::recursive_directory_iterator(); entries.increment(error)) {
        if (++visited > databaseEntryLimit)
            break;
        const auto &entry = *entries;
        const auto name = entry.path().filename().string();
        if (entries.depth() == 0 && (name == "posix" || name == "right")) {
            entries.disable_recursion_pending();
            continue;
        }
        std::error_code entryError;
        if (!entry.is_regular_file(entryError) || entry.is_symlink(entryError) ||
            entry.file_size(entryError) != bytes.size())
            continue;
        if (smallRegularFile(entry.path()) == bytes)
            matches.push_back(entry.path().lexically_relative(database).generic_string());
    }
    std::sort(matches.begin(), matches.end(), [](const std::string &left, const std::string &right) {
        const bool leftIsAreaCity = left.find('/') != std::string::npos;
        const bool rightIsAreaCity = right.find('/') != std::string::npos;
        return leftIsAreaCity != rightIsAreaCity ? leftIsAreaCity : left < right;
    });
    for (const auto &identifier : matches) {
        if (TimeZone::named(identifier))
            return identifier;
    }
    return std::nullopt;
}

// The walk costs milliseconds and callers ask for the zone whenever they format, so the answer
// for the last file and database is kept; a changed file is a different question.
std::optional<TimeZone> zoneWithSameFile(const std::string &bytes, const fs::path &database)
{
    struct Answer {
        std::string bytes;
        fs::path database;
        std::optional<std::string> identifier;
    };
    static std::mutex lock;
    static std::optional<Answer> last;
    std::unique_lock guard(lock);
    if (!last || last->bytes != bytes || last->database != database) {
        guard.unlock();
        Answer answer{bytes, database, identifierOfSameFile(bytes, database)};
        guard.lock();
        last = std::move(answer);
    }
    return last->identifier ? TimeZone::named(*last->identifier) : std::nullopt;
}

// A zone file named by path, taken only when it holds zone data, as the C library would: a
// link into the database names its zone, a copy is recognised by its bytes.
std::optional<TimeZone> zoneOfFile(const fs::path &path, const fs::path &database)
{
    const auto bytes = smallRegularFile(path);
    if (!bytes || !isZoneFileData(*bytes))
        return std::nullopt;
    if (auto zone = zoneNamedByPath(path, database))
        return zone;
    std::error_code error;
    if (fs::is_symlink(path, error)) {
        auto target = fs::read_symlink(path, error);
        if (!error && target.is_relative())
            target = path.parent_path() / target;
        if (auto zone = error ? std::nullopt : zoneNamedByPath(target, database))
            return zone;
        const auto resolved = fs::canonical(path, error);
        if (auto zone = error ? std::nullopt : zoneNamedByPath(resolved, database))
            return zone;
    }
    return zoneWithSameFile(*bytes, database);
}

// "CST-8", "UTC0", "<+0530>-5:30": a standard time with its offset west of UTC and no daylight
// saving. Rules for daylight saving are left alone: a zone is only taken when it is certain.
std::optional<TimeZone> fixedOffsetZone(const std::string &value)
{
    static const std::regex pattern(
        R"(^([A-Za-z]{3,}|<[A-Za-z0-9+-]{3,}>)([+-]?)(\d{1,2})(?::(\d{1,2}))?(?::(\d{1,2}))?$)");
    std::smatch parts;
    if (!std::regex_match(value, parts, pattern))
        return std::nullopt;
    const int hours = std::stoi(parts[3]);
    const int minutes = parts[4].matched ? std::stoi(parts[4]) : 0;
    const int seconds = parts[5].matched ? std::stoi(parts[5]) : 0;
    if (hours > 24 || minutes > 59 || seconds > 59)
        return std::nullopt;
    const int secondsWest = hours * 3600 + minutes * 60 + seconds;
    return TimeZone::fixed(parts[2] == "-" ? secondsWest : -secondsWest, value);
}

std::optional<TimeZone> zoneOfTZ(std::string value, const fs::path &database)
{
    if (value.starts_with(':'))
        value.erase(0, 1);
    if (value.empty())
        return std::nullopt;
    if (value.starts_with('/'))
        return zoneOfFile(value, database);
    if (auto zone = TimeZone::named(value))
        return zone;
    if (auto zone = fixedOffsetZone(value))
        return zone;
    // A name the database folder holds but ICU does not know under that name.
    return zoneOfFile(database / value, database);
}

std::optional<std::string> firstLine(const std::optional<std::string> &text)
{
    if (!text)
        return std::nullopt;
    const auto begin = text->find_first_not_of(" \t\r\n");
    if (begin == std::string::npos)
        return std::nullopt;
    const auto end = text->find_first_of(" \t\r\n", begin);
    return text->substr(begin, end == std::string::npos ? std::string::npos : end - begin);
}

std::optional<TimeZone> zoneOfLocaltime(const SystemTimeZone::Locations &locations, const fs::path &database)
{
    std::error_code error;
    if (fs::is_symlink(locations.localtime, error))
        return zoneOfFile(locations.localtime, database);
    // A copied file: /etc/timezone, kept beside it by the system's tools, names it.
    const auto bytes = smallRegularFile(locations.localtime);
    if (!bytes || !isZoneFileData(*bytes))
        return std::nullopt;
    if (const auto name = firstLine(smallRegularFile(locations.timezoneName))) {
        if (auto zone = TimeZone::named(*name))
            return zone;
    }
    return zoneWithSameFile(*bytes, database);
}

} // namespace

TimeZone SystemTimeZone::current(const Environment &environment)
{
    return current(environment, Locations());
}

TimeZone SystemTimeZone::current(const Environment &environment, const Locations &locations)
{
    const auto database = environment.nonEmptyValue("TZDIR").value_or(locations.database.string());
    try {
        const auto zone = environment.value("TZ") ? zoneOfTZ(*environment.value("TZ"), database)
                                                  : zoneOfLocaltime(locations, database);
        return zone.value_or(TimeZone::utc());
    } catch (const std::exception &) {
        // Out of memory while walking the database, or a path too long to hold: still a zone.
        return TimeZone::utc();
    }
}

} // namespace pulsegrove
