#include "foundation/Date.h"
#include "foundation/UserDirectories.h"

#include <gtest/gtest.h>

using namespace pulsegrove;

namespace {
Environment environmentWith(std::map<std::string, std::string> variables)
{
    return Environment(std::move(variables));
}
} // namespace

TEST(UserDirectoriesTests, LibraryFoldersMapToXdgFoldersWhenSet)
{
    const auto environment = environmentWith(
        {{"HOME", "/home/ada"}, {"XDG_DATA_HOME", "/data"}, {"XDG_CACHE_HOME", "/cache"}});
    EXPECT_EQ(UserDirectories::libraryPath("Library/Application Support/Pulsegrove/codex-path", environment),
              std::filesystem::path("/data/Pulsegrove/codex-path"));
    EXPECT_EQ(UserDirectories::libraryPath("Library/Caches/io.velorn.Pulsegrove/UsageAnalytics", environment),
              std::filesystem::path("/cache/io.velorn.Pulsegrove/UsageAnalytics"));
    EXPECT_EQ(UserDirectories::libraryPath("Library/Caches", environment), std::filesystem::path("/cache"));
}

TEST(UserDirectoriesTests, LibraryFoldersFallBackBelowHomeAndIgnoreRelativeXdgValues)
{
    const auto environment = environmentWith({{"HOME", "/home/ada"}, {"XDG_DATA_HOME", "relative/data"}});
    EXPECT_EQ(UserDirectories::applicationSupportDirectory(environment),
              std::filesystem::path("/home/ada/.local/share"));
    EXPECT_EQ(UserDirectories::cachesDirectory(environment), std::filesystem::path("/home/ada/.cache"));
    EXPECT_EQ(UserDirectories::configDirectory(environment), std::filesystem::path("/home/ada/.config"));
}

TEST(UserDirectoriesTests, OtherPathsStayBelowHomeAndLookAlikePrefixesAreNotMapped)
{
    const auto environment = environmentWith({{"HOME", "/home/ada"}, {"XDG_DATA_HOME", "/data"}});
    EXPECT_EQ(UserDirectories::libraryPath(".codex", environment), std::filesystem::path("/home/ada/.codex"));
    EXPECT_EQ(UserDirectories::libraryPath("Library/Application Supporter/x", environment),
              std::filesystem::path("/home/ada/Library/Application Supporter/x"));
}

TEST(DateTests, UnixAndReferenceSecondsConvertBothWays)
{
    const Date date = Date::fromUnixSeconds(978307200.5);
    EXPECT_DOUBLE_EQ(date.secondsSinceReferenceDate(), 0.5);
    EXPECT_DOUBLE_EQ(date.unixSeconds(), 978307200.5);
    EXPECT_DOUBLE_EQ(date.addingSeconds(10).timeIntervalSince(date), 10.0);
    EXPECT_LT(date, date.addingSeconds(0.001));
}
