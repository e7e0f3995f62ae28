#include "RecordingSystemLog.h"
#include "ScopedUmask.h"
#include "TemporaryDirectory.h"
#include "stores/QuotaCache.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>

namespace pulsegrove {
namespace {

using testing::TemporaryDirectory;

const QuotaSnapshot snapshot(std::nullopt, RateLimitWindow{40, 10080, 1700500000}, std::nullopt,
                             std::string("plus"), std::nullopt, Date::fromReferenceSeconds(786000000.25));

std::string contentOf(const std::filesystem::path &path)
{
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

TEST(QuotaCache, LiesInTheDataFolderAndEverySaveReplacesTheFileWholeWithOneCompactSnapshot)
{
    TemporaryDirectory home;
    const testing::ScopedUmask openToAll;
    const QuotaCache cache(
        Environment({{"HOME", home.path().string()}, {"XDG_DATA_HOME", (home.path() / "data").string()}}));
    EXPECT_EQ(cache.fileURL(), home.path() / "data/Pulsegrove/quota-cache.json");
    const auto inode = [&] {
        struct stat status {};
        return ::stat(cache.fileURL().c_str(), &status) == 0 ? status.st_ino : 0;
    };
    cache.save(snapshot);
    QuotaCache::flush();
    const auto text = contentOf(cache.fileURL());
    EXPECT_EQ(text.find('\n'), std::string::npos) << text;
    EXPECT_EQ(QuotaSnapshot::decodeJSON(text), snapshot);
    // Its folder also holds the codex override: nobody else may write there, whatever the umask.
    for (const auto &[path, mode] : {std::pair{home.path() / "data", 0700},
                                     {cache.fileURL().parent_path(), 0700},
                                     {cache.fileURL(), 0600}})
        EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms(mode)) << path;

    // The same snapshot again is still written: a fresh file renamed into place, never an
    // overwrite in place, so readers see the old file or the new one.
    const auto first = inode();
    cache.save(snapshot);
    QuotaCache::flush();
    EXPECT_NE(inode(), first);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(cache.fileURL().parent_path()), {}), 1);
}

// A failed save keeps what was there and is logged, once until a save succeeds again.
TEST(QuotaCache, FailuresAreLoggedOnceAndKeepWhatWasThere)
{
    TemporaryDirectory home;
    const auto log = std::make_shared<RecordingSystemLog>();
    // A plain file where the folder belongs; a folder where the file belongs, which lets a
    // temporary file be written beside it but not renamed into place; no path at all.
    const auto blocker = home.writeFile("blocked/Pulsegrove", "mine");
    const auto kept = home.writeFile("Pulsegrove/quota-cache.json/keep", "mine");
    for (const auto &path : {blocker / "quota-cache.json", kept.parent_path(), std::filesystem::path()}) {
        const QuotaCache cache(path, log);
        for (int save = 0; save < 2; ++save) {
            EXPECT_NO_THROW(cache.save(snapshot)) << path;
            QuotaCache::flush();
        }
    }
    EXPECT_EQ(contentOf(blocker) + contentOf(kept), "minemine");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(home.path() / "Pulsegrove"), {}), 1)
        << "a temporary file stayed behind";
    const std::vector<std::string> reasons = {"Not a directory", "Is a directory"};
    ASSERT_EQ(log->entries.size(), reasons.size());
    for (std::size_t index = 0; index < reasons.size(); ++index) {
        EXPECT_EQ(log->entries[index].level, LogLevel::error);
        EXPECT_TRUE(log->entries[index].rendered.contains(QString::fromStdString(reasons[index])))
            << log->entries[index].rendered.toStdString();
    }

    // Once a save succeeds, the same failure is news again.
    const QuotaCache cache(kept.parent_path(), log);
    cache.save(snapshot);
    QuotaCache::flush();
    std::filesystem::remove_all(kept.parent_path());
    cache.save(snapshot);
    QuotaCache::flush();
    std::filesystem::remove(kept.parent_path());
    home.writeFile("Pulsegrove/quota-cache.json/keep", "mine");
    cache.save(snapshot);
    QuotaCache::flush();
    EXPECT_EQ(log->entries.size(), reasons.size() + 2);
}

} // namespace
} // namespace pulsegrove
