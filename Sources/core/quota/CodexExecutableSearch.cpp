#include "quota/CodexExecutableSearch.h"

#include "foundation/FileKind.h"
#include "foundation/OnceLog.h"
#include "foundation/PrivateFolder.h"
#include "foundation/SmallFileReader.h"
#include "foundation/UserDirectories.h"
#include "quota/CodexRateLimitClientError.h"

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace pulsegrove {

namespace {

// A path is far shorter than this; a bigger file is not an override file and is not read at all.
constexpr std::size_t overrideFileSizeLimit = 64 * 1024;

std::string trimmedOfWhitespace(const std::string &text)
{
    constexpr const char *whitespace = " \t\n\r\v\f";
    const auto first = text.find_first_not_of(whitespace);
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(whitespace) - first + 1);
}

std::vector<std::string> pathPieces(const std::string &path)
{
    std::vector<std::string> pieces;
    std::size_t start = 0;
    while (start <= path.size()) {
        const auto end = std::min(path.find(':', start), path.size());
        if (end > start)
            pieces.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return pieces;
}

OnceLog &refusalLog()
{
    static OnceLog log;
    return log;
}

void reportRefusal(const std::string &message)
{
    refusalLog().report(message);
}

struct GroupLookupSetting {
    std::mutex mutex;
    TrustedPath::GroupLookup lookup = GroupMembership::lookUp;
};

GroupLookupSetting &groupLookupSetting()
{
    static GroupLookupSetting setting;
    return setting;
}

// The lookup for one search, which asks about each group once: a group may walk the whole user
// database, and the folders on the way to the candidates (~/.local, ~/.local/bin) share theirs.
TrustedPath::GroupLookup groupLookupForOneSearch()
{
    auto &setting = groupLookupSetting();
    const std::lock_guard lock(setting.mutex);
    auto known = std::make_shared<std::map<gid_t, std::optional<GroupMembership>>>();
    return [lookup = setting.lookup, known](gid_t group) {
        auto found = known->find(group);
        if (found == known->end())
            found = known->emplace(group, lookup(group)).first;
        return found->second;
    };
}

// The override names a program the application runs: another user able to write the file, or
// to replace it in its folder, could make the application run theirs. A link is refused as such,
// whoever owns what it points at: the file has to be where the application keeps its own. Anything
// else but a regular file is refused here too, so the log says what stands in the file's place
// (the reader would pass it over without a word).
bool isGuarded(const std::filesystem::path &file)
{
    struct stat folder {};
    struct stat status {};
    if (::stat(file.parent_path().c_str(), &folder) != 0 || ::lstat(file.c_str(), &status) != 0)
        return true; // nothing there to trust or distrust: the read finds it missing
    if (S_ISLNK(status.st_mode)) {
        reportRefusal("Ignored the codex-path override: it is a symbolic link, not a file of its own");
        return false;
    }
    if (!S_ISREG(status.st_mode)) {
        reportRefusal("Ignored the codex-path override at " + file.string() + ": it is " +
                      FileKind::describe(status.st_mode) + ", not a regular file");
        return false;
    }
    if (PrivateFolder::isOwnedAndGuarded(folder) && PrivateFolder::isOwnedAndGuarded(status))
        return true;
    reportRefusal("Ignored the codex-path override: it or its folder belongs to another user or "
                  "can be changed by group or others");
    return false;
}

// Where a candidate came from decides whether it must be trusted before it runs. PATH and the
// variable are the user's environment, which already decides what runs (PATH itself, the loader's
// variables), so they are taken as a shell takes PATH. A name read from a file, or a fixed place
// tried before PATH, is run only when nobody but the user or root can have put the program there.
struct Candidate {
    std::string path;
    bool mustBeTrusted;
};

std::vector<Candidate> candidatesInOrder(const Environment &environment)
{
    std::vector<Candidate> list;
    if (auto explicitPath = environment.nonEmptyValue(CodexExecutableSearch::pathVariable))
        list.push_back({std::move(*explicitPath), false});
    if (auto fromFile = CodexExecutableSearch::overridePath(environment))
        list.push_back({std::move(*fromFile), true});
    if (const auto home = environment.value("HOME")) {
        list.push_back({*home + "/.local/bin/codex", true});
        list.push_back({*home + "/bin/codex", true});
    }
    list.push_back({"/home/linuxbrew/.linuxbrew/bin/codex", true});
    list.push_back({"/usr/local/bin/codex", true});
    if (const auto path = environment.value("PATH")) {
        for (const auto &piece : pathPieces(*path))
            list.push_back({piece + "/codex", false});
    }
    return list;
}

} // namespace

void CodexExecutableSearch::setRefusalLog(RefusalLog log)
{
    refusalLog().setLog(std::move(log));
}

void CodexExecutableSearch::setGroupLookup(TrustedPath::GroupLookup lookup)
{
    auto &setting = groupLookupSetting();
    const std::lock_guard lock(setting.mutex);
    setting.lookup = lookup ? std::move(lookup) : GroupMembership::lookUp;
}

std::optional<std::string> CodexExecutableSearch::overridePath(const Environment &environment)
{
    const bool absoluteDataHome = environment.nonEmptyValue("XDG_DATA_HOME").value_or("").starts_with('/');
    if (!environment.value("HOME") && !absoluteDataHome)
        return std::nullopt;
    const auto file = UserDirectories::libraryPath(overrideFile, environment);
    if (!file || !isGuarded(*file))
        return std::nullopt;
    // Only a small regular file counts: a FIFO, a device or a link put in its place is ignored
    // without waiting on it or reading it.
    const auto content = SmallFileReader::read(*file, overrideFileSizeLimit);
    if (!content.isRead())
        return std::nullopt;
    auto path = trimmedOfWhitespace(content.content);
    if (path.empty())
        return std::nullopt;
    return path;
}

std::vector<std::string> CodexExecutableSearch::candidates(const Environment &environment)
{
    std::vector<std::string> list;
    std::set<std::string> seen;
    for (auto &candidate : candidatesInOrder(environment)) {
        if (seen.insert(candidate.path).second)
            list.push_back(std::move(candidate.path));
    }
    return list;
}

bool CodexExecutableSearch::isExecutableFile(const std::string &path)
{
    // The system calls would stop at an embedded NUL (one read from the override file, say) and
    // test, then run, a shorter path than the one named.
    if (path.find('\0') != std::string::npos)
        return false;
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

std::filesystem::path CodexExecutableSearch::resolveExecutable(const Environment &environment)
{
    // A path is tested once, at its first place, except that one passed over as untrusted is
    // still run from PATH when the user's PATH names it, as the user's shell would run it.
    std::set<std::string> settled;
    const auto groups = groupLookupForOneSearch();
    for (const auto &[path, mustBeTrusted] : candidatesInOrder(environment)) {
        if (settled.contains(path))
            continue;
        if (!isExecutableFile(path)) {
            settled.insert(path);
            continue;
        }
        if (!mustBeTrusted)
            return path;
        const auto distrust = TrustedPath::distrust(path, groups);
        if (!distrust)
            return path;
        reportRefusal("Passed over codex at " + path + ": " + *distrust);
    }
    throw CodexRateLimitClientError::executableNotFound();
}

} // namespace pulsegrove
