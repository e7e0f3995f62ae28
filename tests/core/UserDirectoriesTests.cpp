#include "foundation/UserDirectories.h"

#include <gtest/gtest.h>
#include <tuple>
#include <vector>

using namespace pulsegrove;

TEST(UserDirectoriesTests, LibraryPathsMapToXdgFoldersElseBelowHome)
{
    const Environment xdg({{"HOME", "/home/ada"},
                           {"XDG_DATA_HOME", "/data"},
                           {"XDG_CACHE_HOME", "/cache"},
                           {"XDG_CONFIG_HOME", "/conf"}});
    // The XDG rules say a relative value is invalid and must be ignored.
    const Environment relative({{"HOME", "/home/ada"}, {"XDG_DATA_HOME", "data"}, {"XDG_CACHE_HOME", "c"}});
    const std::vector<std::tuple<const Environment *, std::string, std::string>> cases = {
        {&xdg, "Library/Application Support/Pulsegrove/codex-path", "/data/Pulsegrove/codex-path"},
        {&xdg, "Library/Caches/io.velorn.Pulsegrove/UsageAnalytics",
         "/cache/io.velorn.Pulsegrove/UsageAnalytics"},
        {&xdg, "Library/Caches", "/cache"},
        {&xdg, "Library/Application Supporter/x", "/home/ada/Library/Application Supporter/x"},
        {&xdg, ".codex", "/home/ada/.codex"},
        {&relative, "Library/Application Support/x", "/home/ada/.local/share/x"},
        {&relative, "Library/Caches/x", "/home/ada/.cache/x"},
    };
    for (const auto &[environment, path, expected] : cases)
        EXPECT_EQ(UserDirectories::libraryPath(path, *environment), std::filesystem::path(expected)) << path;
    EXPECT_EQ(UserDirectories::configDirectory(relative), std::filesystem::path("/home/ada/.config"));
    EXPECT_EQ(UserDirectories::configDirectory(xdg), std::filesystem::path("/conf"));
}
