#include "TemporaryDirectory.h"
#include "stores/QuotaCache.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>

namespace pulsegrove {
namespace {

using testing::TemporaryDirectory;

QuotaSnapshot snapshotFetchedAt(double referenceSeconds, const char *planType = "plus")
{
    return QuotaSnapshot(std::nullopt, RateLimitWindow{40, 10080, 1700500000}, std::nullopt,
                         std::string(planType), std::nullopt, Date::fromReferenceSeconds(referenceSeconds));
}

std::string contentOf(const std::filesystem::path &path)
{
    std::ifstream stream(path, std::ios::binary);
    std::ostringstream text;
    text << stream.rdbuf();
    return text.str();
}

TEST(QuotaCache, LiesInThePulsegroveFolderOfApplicationSupport)
{
    TemporaryDirectory home;
    const Environment xdg(
        {{"HOME", home.path().string()}, {"XDG_DATA_HOME", (home.path() / "data").string()}});
    EXPECT_EQ(QuotaCache(xdg).fileURL(), home.path() / "data/Pulsegrove/quota-cache.json");
}

TEST(QuotaCache, EverySaveReplacesTheFileWholeWithOneCompactSnapshot)
{
    TemporaryDirectory home;
    const QuotaCache cache(home.path() / "a/b/Pulsegrove/quota-cache.json");
    const auto inode = [&] {
        struct stat status {};
        return ::stat(cache.fileURL().c_str(), &status) == 0 ? status.st_ino : 0;
    };
    cache.save(snapshotFetchedAt(786000000.25));
    const auto text = contentOf(cache.fileURL());
    EXPECT_EQ(text.find('\n'), std::string::npos) << text;
    EXPECT_EQ(QuotaSnapshot::decodeJSON(text), snapshotFetchedAt(786000000.25));

    // The same snapshot again is still written: a fresh file renamed into place, never an
    // overwrite in place, so readers see the old file or the new one.
    const auto first = inode();
    cache.save(snapshotFetchedAt(786000000.25));
    EXPECT_NE(inode(), first);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(cache.fileURL().parent_path()), {}), 1);
}

TEST(QuotaCache, FailuresAreSilentAndKeepWhatWasThere)
{
    TemporaryDirectory home;
    // A plain file where the folder belongs: saving does nothing, and so the refresh that
    // saves goes on undisturbed.
    const auto blocker = home.writeFile("blocked/Pulsegrove", "mine");
    EXPECT_NO_THROW(QuotaCache(home.path() / "blocked/Pulsegrove/quota-cache.json").save(snapshotFetchedAt(1)));
    EXPECT_EQ(contentOf(blocker), "mine");

    const QuotaCache cache(home.path() / "Pulsegrove/quota-cache.json");
    cache.save(snapshotFetchedAt(1.0));
    const auto before = contentOf(cache.fileURL());
    // A folder where the file belongs makes the replace fail; no temporary file may be left.
    const QuotaCache blocked(home.path() / "Pulsegrove");
    EXPECT_NO_THROW(blocked.save(snapshotFetchedAt(2.0)));
    EXPECT_EQ(contentOf(cache.fileURL()), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(home.path() / "Pulsegrove"), {}), 1);

    EXPECT_NO_THROW(QuotaCache(std::filesystem::path()).save(snapshotFetchedAt(1.0)));
}

} // namespace
} // namespace pulsegrove
