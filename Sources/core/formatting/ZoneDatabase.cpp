#include "formatting/ZoneDatabase.h"

#include "formatting/ZoneData.h"
#include "foundation/SmallFileReader.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace pulsegrove {

namespace fs = std::filesystem;

namespace {

// The database holds about two thousand entries; a folder far larger is not one to walk.
constexpr int databaseEntryLimit = 20000;
// Aliases point at zones, rarely at other aliases; a longer chain is a loop.
constexpr int linkLimit = 8;

// A relative name without "." or ".." parts, as the database's own names are.
bool isPlainIdentifier(std::string_view identifier)
{
    if (identifier.empty() || identifier.size() > 255 || identifier.starts_with('/'))
        return false;
    for (const auto &part : fs::path(identifier)) {
        if (part == "." || part == ".." || part.empty())
            return false;
    }
    return identifier.find('\0') == std::string_view::npos;
}

bool describeSameZone(const std::string &left, const std::string &right)
{
    if (left == right)
        return true;
    if (ZoneData::footer(left) != ZoneData::footer(right))
        return false;
    const auto leftZone = TimeZone::fromZoneData(left, {});
    const auto rightZone = TimeZone::fromZoneData(right, {});
    return leftZone && rightZone && leftZone->hasSameOffsets(*rightZone);
}

bool isAreaCity(const std::string &identifier)
{
    return identifier.find('/') != std::string::npos;
}

struct DatabaseFile {
    fs::path path;
    std::uintmax_t size;
};

std::vector<DatabaseFile> databaseFiles(const fs::path &folder)
{
    std::vector<DatabaseFile> files;
    std::error_code error;
    fs::recursive_directory_iterator entries(folder, fs::directory_options::skip_permission_denied, error);
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
        const auto size = entry.file_size(entryError);
        if (entry.is_regular_file(entryError) && !entry.is_symlink(entryError) && !entryError)
            files.push_back({entry.path(), size});
    }
    return files;
}

std::vector<std::string> identifiersOfSameZone(const std::string &bytes, const fs::path &folder)
{
    const auto files = databaseFiles(folder);
    std::vector<std::string> matches;
    // Byte for byte first: cheap, and the usual copy. Then the same zone in other bytes, such as a
    // slim file copied beside a fat database, among the files that end in the same rule.
    for (const bool exactly : {true, false}) {
        for (const auto &file : files) {
            if (exactly && file.size != bytes.size())
                continue;
            const auto candidate = ZoneDatabase::zoneFileBytes(file.path);
            if (candidate && (exactly ? *candidate == bytes : describeSameZone(*candidate, bytes)))
                matches.push_back(file.path.lexically_relative(folder).generic_string());
        }
        if (!matches.empty())
            break;
    }
    std::sort(matches.begin(), matches.end(), [](const std::string &left, const std::string &right) {
        return isAreaCity(left) != isAreaCity(right) ? isAreaCity(left) : left < right;
    });
    return matches;
}

} // namespace

std::optional<std::string> ZoneDatabase::zoneFileBytes(const fs::path &path)
{
    auto result = SmallFileReader::read(path, zoneFileSizeLimit, SmallFileReader::Links::follow);
    if (!result.isRead() || !ZoneData::isWellFormed(result.content))
        return std::nullopt;
    return std::move(result.content);
}

std::optional<TimeZone> ZoneDatabase::named(std::string_view identifier) const
{
    if (!isPlainIdentifier(identifier))
        return std::nullopt;
    const auto bytes = zoneFileBytes(m_folder / identifier);
    const auto canonical = bytes ? canonicalIdentifier(identifier) : std::nullopt;
    return canonical ? TimeZone::fromZoneData(*bytes, *canonical) : std::nullopt;
}

std::optional<std::string> ZoneDatabase::identifierIfSame(std::string_view identifier, const std::string &bytes) const
{
    if (!isPlainIdentifier(identifier))
        return std::nullopt;
    const auto own = zoneFileBytes(m_folder / identifier);
    return own && describeSameZone(*own, bytes) ? canonicalIdentifier(identifier) : std::nullopt;
}

std::optional<std::string> ZoneDatabase::identifierOfSameZone(const std::string &bytes) const
{
    // The walk costs milliseconds and callers ask for the zone whenever they format, so the
    // answer for the last content and folder is kept; a changed file is a different question.
    struct Answer {
        std::string bytes;
        fs::path folder;
        std::optional<std::string> identifier;
    };
    static std::mutex lock;
    static std::optional<Answer> last;
    std::unique_lock guard(lock);
    if (!last || last->bytes != bytes || last->folder != m_folder) {
        guard.unlock();
        const auto matches = identifiersOfSameZone(bytes, m_folder);
        Answer answer{bytes, m_folder, matches.empty() ? std::nullopt : std::optional(matches.front())};
        guard.lock();
        last = std::move(answer);
    }
    return last->identifier;
}

std::optional<std::string> ZoneDatabase::identifierInPath(const fs::path &path) const
{
    const std::string text = path.lexically_normal().generic_string();
    std::string identifier;
    const std::string folderPrefix = m_folder.lexically_normal().generic_string() + "/";
    constexpr std::string_view marker = "/zoneinfo/";
    if (text.starts_with(folderPrefix))
        identifier = text.substr(folderPrefix.size());
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

// Follows the alias's links inside the database: "US/Eastern" is "America/New_York".
std::optional<std::string> ZoneDatabase::canonicalIdentifier(std::string_view identifier) const
{
    fs::path name = fs::path(identifier).lexically_normal();
    for (int step = 0; step < linkLimit; ++step) {
        std::error_code error;
        const auto target = fs::read_symlink(m_folder / name, error);
        if (error)
            break;
        const auto inside = target.is_absolute() ? identifierInPath(target)
                                                 : std::optional((name.parent_path() / target).lexically_normal().generic_string());
        if (!inside || !isPlainIdentifier(*inside))
            break;
        name = *inside;
    }
    auto text = identifierInPath(m_folder / name);
    return text && isPlainIdentifier(*text) ? text : std::nullopt;
}

} // namespace pulsegrove
