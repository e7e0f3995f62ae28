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

ino_t inodeOf(const std::filesystem::path &path)
{
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 ? status.st_ino : 0;
}

TEST(QuotaCacheLocation, LiesInThePulsegroveFolderOfApplicationSupport)
{
    TemporaryDirectory home;
    const Environment xdg(
        {{"HOME", home.path().string()}, {"XDG_DATA_HOME", (home.path() / "data").string()}});
    EXPECT_EQ(QuotaCache(xdg).fileURL(), home.path() / "data/Pulsegrove/quota-cache.json");
    const Environment plain({{"HOME", home.path().string()}});
    EXPECT_EQ(QuotaCache(plain).fileURL(), home.path() / ".local/share/Pulsegrove/quota-cache.json");
}

TEST(QuotaCacheSaving, CreatesTheFolderAndWritesOneCompactSnapshot)
{
    TemporaryDirectory home;
    const QuotaCache cache(home.path() / "a/b/Pulsegrove/quota-cache.json");
    const auto snapshot = snapshotFetchedAt(786000000.25);
    cache.save(snapshot);
    const auto text = contentOf(cache.fileURL());
    EXPECT_EQ(text.find('\n'), std::string::npos) << text;
    EXPECT_EQ(QuotaSnapshot::decodeJSON(text), snapshot);
    // Nothing but the file itself is left in the folder.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(cache.fileURL().parent_path()), {}), 1);
}

TEST(QuotaCacheSaving, EverySaveReplacesTheFileWhole)
{
    TemporaryDirectory home;
    const QuotaCache cache(home.path() / "Pulsegrove/quota-cache.json");
    cache.save(snapshotFetchedAt(1.0));
    const auto first = inodeOf(cache.fileURL());
    cache.save(snapshotFetchedAt(1.0));
    // A rename of a fresh file, not an overwrite in place: readers never see a partial file.
    EXPECT_NE(inodeOf(cache.fileURL()), first);
    cache.save(snapshotFetchedAt(2.0, "pro"));
    EXPECT_EQ(QuotaSnapshot::decodeJSON(contentOf(cache.fileURL())), snapshotFetchedAt(2.0, "pro"));
}

TEST(QuotaCacheSaving, ABlockedFolderIsSilentlySkipped)
{
    TemporaryDirectory home;
    const auto blocker = home.writeFile("Pulsegrove", "mine");
    const QuotaCache cache(home.path() / "Pulsegrove/quota-cache.json");
    EXPECT_NO_THROW(cache.save(snapshotFetchedAt(1.0)));
    EXPECT_EQ(contentOf(blocker), "mine");
}

TEST(QuotaCacheSaving, AnUnwritableTargetKeepsThePreviousFile)
{
    TemporaryDirectory home;
    const QuotaCache cache(home.path() / "Pulsegrove/quota-cache.json");
    cache.save(snapshotFetchedAt(1.0));
    const auto before = contentOf(cache.fileURL());
    // A folder in place of the temporary file's rename target makes the replace fail.
    const QuotaCache blocked(home.path() / "Pulsegrove");
    EXPECT_NO_THROW(blocked.save(snapshotFetchedAt(2.0)));
    EXPECT_EQ(contentOf(cache.fileURL()), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(home.path() / "Pulsegrove"), {}), 1);
}

TEST(QuotaCacheSaving, WithNowhereToWriteNothingHappens)
{
    EXPECT_NO_THROW(QuotaCache(std::filesystem::path()).save(snapshotFetchedAt(1.0)));
}

} // namespace
} // namespace pulsegrove
