#include "TemporaryDirectory.h"
#include "quota/CodexExecutableSearch.h"
#include "quota/CodexRateLimitClientError.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace pulsegrove;
using pulsegrove::testing::TemporaryDirectory;

namespace {

constexpr const char *overrideBelowDataHome = "data/Pulsegrove/codex-path";

std::string executableAt(const TemporaryDirectory &folder, const std::string &relativePath)
{
    const auto path = folder.writeFile(relativePath, "#!/bin/sh\n");
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    return path.string();
}

bool fixedPlaceExists()
{
    return CodexExecutableSearch::isExecutableFile("/usr/local/bin/codex") ||
           CodexExecutableSearch::isExecutableFile("/home/linuxbrew/.linuxbrew/bin/codex");
}

} // namespace

TEST(CodexExecutableSearchTests, CandidatesComeInOrderWithoutRepeats)
{
    TemporaryDirectory home;
    home.writeFile(overrideBelowDataHome, "  /from/file/codex \n\n");
    const Environment environment({{"PULSE_GROVE_CODEX_PATH", "/explicit/codex"},
                                   {"HOME", home.path().string()},
                                   {"XDG_DATA_HOME", (home.path() / "data").string()},
                                   {"PATH", ":/usr/local/bin::/opt/tools:/explicit:"}});
    const std::vector<std::string> expected = {"/explicit/codex",
                                               "/from/file/codex",
                                               home.path().string() + "/.local/bin/codex",
                                               home.path().string() + "/bin/codex",
                                               "/home/linuxbrew/.linuxbrew/bin/codex",
                                               "/usr/local/bin/codex",
                                               "/opt/tools/codex"};
    EXPECT_EQ(CodexExecutableSearch::candidates(environment), expected);
}

TEST(CodexExecutableSearchTests, EmptyVariableBlankFileAndMissingHomeAddNothing)
{
    TemporaryDirectory home;
    home.writeFile(".local/share/Pulsegrove/codex-path", " \n\t ");
    const Environment blank({{"PULSE_GROVE_CODEX_PATH", ""}, {"HOME", home.path().string()}});
    EXPECT_EQ(CodexExecutableSearch::candidates(blank).front(), home.path().string() + "/.local/bin/codex");

    const Environment bare(std::map<std::string, std::string>{{"XDG_DATA_HOME", "relative"}});
    const std::vector<std::string> fixedOnly = {"/home/linuxbrew/.linuxbrew/bin/codex",
                                                "/usr/local/bin/codex"};
    EXPECT_EQ(CodexExecutableSearch::candidates(bare), fixedOnly);
}

TEST(CodexExecutableSearchTests, OverrideFileIsFoundBelowTheDefaultDataFolder)
{
    TemporaryDirectory home;
    home.writeFile(".local/share/Pulsegrove/codex-path", "/somewhere/codex\n");
    EXPECT_EQ(CodexExecutableSearch::overridePath(Environment({{"HOME", home.path().string()}})),
              "/somewhere/codex");
}

TEST(CodexExecutableSearchTests, OverrideThatIsNotARegularFileIsIgnoredWithoutBlocking)
{
    TemporaryDirectory home;
    std::filesystem::create_directories(home.path() / "data/Pulsegrove");
    ASSERT_EQ(::mkfifo((home.path() / overrideBelowDataHome).c_str(), 0600), 0);
    const Environment environment(
        {{"HOME", home.path().string()}, {"XDG_DATA_HOME", (home.path() / "data").string()}});
    EXPECT_EQ(CodexExecutableSearch::overridePath(environment), std::nullopt);
}

TEST(CodexExecutableSearchTests, FirstExecutableRegularFileWins)
{
    TemporaryDirectory home;
    const auto plain = home.writeFile("plain/codex", "not executable");
    std::filesystem::create_directories(home.path() / "folder/codex");
    const auto real = executableAt(home, ".local/bin/codex");
    std::filesystem::create_symlink(real, home.path() / "linked");
    home.writeFile(".local/share/Pulsegrove/codex-path", (home.path() / "folder/codex").string());

    // A file that may not be run, then a folder named codex, then the real one.
    const Environment environment(
        {{"PULSE_GROVE_CODEX_PATH", plain.string()}, {"HOME", home.path().string()}});
    EXPECT_EQ(CodexExecutableSearch::resolveExecutable(environment), real);

    EXPECT_TRUE(CodexExecutableSearch::isExecutableFile((home.path() / "linked").string()));
    EXPECT_FALSE(CodexExecutableSearch::isExecutableFile((home.path() / "folder/codex").string()));
    EXPECT_FALSE(CodexExecutableSearch::isExecutableFile(plain.string()));
}

TEST(CodexExecutableSearchTests, NoExecutableAnywhereIsExecutableNotFound)
{
    if (fixedPlaceExists())
        GTEST_SKIP() << "this machine has codex installed in a fixed place";
    TemporaryDirectory home;
    const Environment environment({{"PULSE_GROVE_CODEX_PATH", (home.path() / "missing").string()},
                                   {"HOME", home.path().string()},
                                   {"PATH", home.path().string()}});
    try {
        CodexExecutableSearch::resolveExecutable(environment);
        FAIL() << "an executable was found";
    } catch (const CodexRateLimitClientError &error) {
        EXPECT_EQ(error.errorCase(), CodexRateLimitClientError::Case::executableNotFound);
        EXPECT_STREQ(error.what(), "未找到 Codex。请先安装或登录 Codex 桌面应用。");
    }
}
