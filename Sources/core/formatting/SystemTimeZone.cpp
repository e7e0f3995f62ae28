#include "formatting/SystemTimeZone.h"

#include "formatting/ZoneData.h"
#include "formatting/ZoneDatabase.h"
#include "formatting/ZoneFile.h"
#include "foundation/SmallFileReader.h"

#include <climits>
#include <limits>
#include <mutex>
#include <string_view>
#include <sys/stat.h>
#include <vector>

namespace pulsegrove {

namespace fs = std::filesystem;

namespace {

// No path or rule is longer: a longer TZ is garbage, refused before anything looks at it.
constexpr std::size_t tzLengthLimit = PATH_MAX;

// The name a zone file goes by: the first of the names it came with that the database agrees
// holds this very zone, else the name of a database file with the same content. An alias or a
// bare name ("CET" copied as "Tokio") gives way to the "Area/City" name of the same zone.
std::optional<std::string> identifierFor(const std::string &bytes, const std::vector<std::string> &names,
                                         const ZoneDatabase &database)
{
    std::optional<std::string> identifier;
    for (const auto &name : names) {
        if ((identifier = database.identifierIfSame(name, bytes)))
            break;
    }
    if (!identifier || identifier->find('/') == std::string::npos) {
        if (auto same = database.identifierOfSameZone(bytes);
            same && (!identifier || same->find('/') != std::string::npos))
            identifier = same;
    }
    return identifier;
}

// What labels a zone the database does not hold: the name of the path it lies at, else its
// closing rule. A name given beside it that the database did not confirm (/etc/timezone) never
// does: it can be stale.
std::string nameOfUnknownZone(const std::string &bytes, const std::vector<std::string> &pathNames)
{
    const auto footer = ZoneData::footer(bytes);
    return !pathNames.empty() ? pathNames.front() : !footer.empty() ? footer : "localtime";
}

// The names a path to a zone file carries: the path itself when it leads into a zone folder,
// and, for a link, where it leads.
std::vector<std::string> namesInPath(const fs::path &path, const ZoneDatabase &database)
{
    std::vector<std::string> names;
    std::vector<fs::path> paths{path};
    std::error_code error;
    if (fs::is_symlink(path, error)) {
        auto target = fs::read_symlink(path, error);
        if (!error)
            paths.push_back(target.is_relative() ? path.parent_path() / target : target);
        if (auto resolved = fs::canonical(path, error); !error)
            paths.push_back(resolved);
    }
    for (const auto &each : paths) {
        if (auto name = database.identifierInPath(each))
            names.push_back(std::move(*name));
    }
    return names;
}

// The last change a zone file lists, on a clock without leap seconds; nothing when it lists none.
std::optional<std::int64_t> lastListedChange(ZoneFile file)
{
    file.dropLeapSeconds();
    return file.transitionTimes.empty() ? std::nullopt : std::optional(file.transitionTimes.back());
}

// A file that counts leap seconds (right/) lists its changes only until its table of them
// expires, without a closing rule, and a Linux clock counts no leap seconds anyway. The zone it
// stands for is the database's file of one of its names outside right/, where the two agree as far
// as both list changes: from the other's last one on its rule decides, and a slim file's rule may
// begin a few days before the right/ file's change. A file that lists none (a stale /etc/timezone
// naming "Etc/UTC") leaves nothing to compare, and so never counts.
std::optional<TimeZone> zoneWithoutLeapSeconds(const std::string &bytes,
                                               const std::vector<std::string> &names,
                                               const ZoneDatabase &database)
{
    const auto file = ZoneFile::parse(bytes);
    if (!file || file->leapSeconds.empty() || !file->closingRule.empty())
        return std::nullopt;
    const auto own = TimeZone::fromZoneData(bytes, {});
    for (const auto &name : names) {
        const auto plainName = database.identifierInPath(database.folder() / name);
        const auto plain = plainName ? database.named(*plainName) : std::nullopt;
        const auto plainBytes =
            plain ? ZoneDatabase::zoneFileBytes(database.folder() / *plainName) : std::nullopt;
        const auto plainFile = plainBytes ? ZoneFile::parse(*plainBytes) : std::nullopt;
        if (!own || !plainFile || !plainFile->leapSeconds.empty())
            continue;
        const auto until =
            std::min(lastListedChange(*file).value_or(std::numeric_limits<std::int64_t>::min()),
                     lastListedChange(*plainFile).value_or(std::numeric_limits<std::int64_t>::min()));
        if (own->hasSameOffsets(*plain, until))
            return plain;
    }
    return std::nullopt;
}

// A zone file named by path, taken only when it holds zone data, as the C library would; its
// content is the zone, whatever the names around it claim.
std::optional<TimeZone> zoneOfFile(const fs::path &path, std::vector<std::string> names,
                                   const ZoneDatabase &database)
{
    const auto bytes = ZoneDatabase::zoneFileBytes(path);
    if (!bytes)
        return std::nullopt;
    const auto pathNames = namesInPath(path, database);
    names.insert(names.end(), pathNames.begin(), pathNames.end());
    if (auto plain = zoneWithoutLeapSeconds(*bytes, names, database))
        return plain;
    return TimeZone::fromZoneData(
        *bytes, identifierFor(*bytes, names, database).value_or(nameOfUnknownZone(*bytes, pathNames)));
}

std::optional<TimeZone> zoneOfTZ(std::string_view value, const ZoneDatabase &database)
{
    if (value.size() > tzLengthLimit)
        return std::nullopt;
    if (value.starts_with(':'))
        value.remove_prefix(1);
    if (value.empty())
        return std::nullopt;
    if (value.starts_with('/'))
        return zoneOfFile(value, {}, database);
    // A file of the database first, then the POSIX form, in the C library's order.
    if (auto zone = zoneOfFile(database.folder() / value, {std::string(value)}, database))
        return zone;
    return TimeZone::fromPosixRule(value);
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

// /etc/localtime's content is the zone; /etc/timezone, kept beside a copied file by the system's
// tools, only names it when that name's file agrees, since it can be left stale.
std::optional<TimeZone> zoneOfLocaltime(const SystemTimeZone::Locations &locations,
                                        const ZoneDatabase &database)
{
    std::vector<std::string> names;
    const auto timezoneName =
        SmallFileReader::read(locations.timezoneName, 4096, SmallFileReader::Links::follow);
    if (auto name = firstLine(timezoneName.isRead() ? std::optional(timezoneName.content) : std::nullopt))
        names.push_back(std::move(*name));
    return zoneOfFile(locations.localtime, std::move(names), database);
}

// What the answer depends on: each file's link and what it leads to. Formatters ask for the
// zone whenever they format, and looking again costs a dozen system calls; comparing stamps, two
// per file.
std::vector<std::optional<FileStamp>> stampsOf(const std::vector<fs::path> &paths)
{
    std::vector<std::optional<FileStamp>> stamps;
    for (const auto &path : paths) {
        struct stat status {};
        stamps.push_back(FileStamp::ofPath(path));
        stamps.push_back(::stat(path.c_str(), &status) == 0 ? std::optional(FileStamp::of(status))
                                                            : std::nullopt);
    }
    return stamps;
}

struct Answer {
    std::string question;
    std::vector<std::optional<FileStamp>> stamps;
    TimeZone zone;
};

std::optional<TimeZone> keptAnswer(std::mutex &lock, const std::optional<Answer> &last,
                                   const std::string &question,
                                   const std::vector<std::optional<FileStamp>> &stamps)
{
    const std::lock_guard guard(lock);
    return last && last->question == question && last->stamps == stamps ? std::optional(last->zone)
                                                                        : std::nullopt;
}

TimeZone find(const std::optional<std::string> &tz, const SystemTimeZone::Locations &locations,
              const ZoneDatabase &database)
{
    const auto zone = tz ? zoneOfTZ(*tz, database) : zoneOfLocaltime(locations, database);
    return zone.value_or(TimeZone::utc());
}

} // namespace

TimeZone SystemTimeZone::current(const Environment &environment)
{
    return current(environment, Locations());
}

TimeZone SystemTimeZone::current(const Environment &environment, const Locations &locations)
{
    try {
        const ZoneDatabase database(environment.nonEmptyValue("TZDIR").value_or(locations.database.string()));
        auto tz = environment.value("TZ");
        if (tz && tz->size() > tzLengthLimit)
            tz = "";
        const auto tzFile = tz ? fs::path(tz->starts_with(':') ? tz->substr(1) : *tz) : fs::path();
        const auto paths = tz ? std::vector{tzFile.is_absolute() ? tzFile : database.folder() / tzFile}
                              : std::vector{locations.localtime, locations.timezoneName};
        const auto question =
            (tz ? "TZ=" + *tz : locations.localtime.string() + "\n" + locations.timezoneName.string()) +
            "\n" + database.folder().string();
        static std::mutex lock;
        static std::optional<Answer> last;
        const auto stamps = stampsOf(paths);
        if (auto kept = keptAnswer(lock, last, question, stamps))
            return *kept;
        const auto zone = find(tz, locations, database);
        const std::lock_guard guard(lock);
        last = Answer{question, stamps, zone};
        return zone;
    } catch (const std::exception &) {
        // Out of memory while walking the database, or a path too long to hold: still a zone.
        return TimeZone::utc();
    }
}

} // namespace pulsegrove
