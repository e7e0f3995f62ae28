#include "HostileFile.h"
#include "TemporaryDirectory.h"
#include "quota/CodexExecutableSearch.h"
#include "quota/CodexRateLimitClientError.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace pulsegrove;
using pulsegrove::testing::HostileFile;
using pulsegrove::testing::TemporaryDirectory;

namespace {

constexpr const char *overrideBelowHome = ".local/share/Pulsegrove/codex-path";

std::string executableAt(const TemporaryDirectory &folder, const std::string &relativePath)
{
    const auto path = folder.writeFile(relativePath, "#!/bin/sh\n");
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    return path.string();
}

} // namespace

TEST(CodexExecutableSearchTests, CandidatesComeInOrderWithoutRepeats)
{
    TemporaryDirectory home;
    home.writeFile("data/Pulsegrove/codex-path", "  /from/file/codex \n\n");
    const std::string homePath = home.path().string();
    const Environment environment({{"PULSE_GROVE_CODEX_PATH", "/explicit/codex"},
                                   {"HOME", homePath},
                                   {"XDG_DATA_HOME", homePath + "/data"},
                                   {"PATH", ":/usr/local/bin::/opt/tools:/explicit:"}});
    const std::vector<std::string> expected = {"/explicit/codex",
                                               "/from/file/codex",
                                               homePath + "/.local/bin/codex",
                                               homePath + "/bin/codex",
                                               "/home/linuxbrew/.linuxbrew/bin/codex",
                                               "/usr/local/bin/codex",
                                               "/opt/tools/codex"};
    EXPECT_EQ(CodexExecutableSearch::candidates(environment), expected);

    // An empty variable, no HOME and a relative data folder leave only the fixed places.
    const Environment bare({{"PULSE_GROVE_CODEX_PATH", ""}, {"XDG_DATA_HOME", "relative"}});
    EXPECT_EQ(CodexExecutableSearch::candidates(bare),
              (std::vector<std::string>{"/home/linuxbrew/.linuxbrew/bin/codex", "/usr/local/bin/codex"}));
}

TEST(CodexExecutableSearchTests, OverrideFileYieldsItsTrimmedPathOrNothing)
{
    TemporaryDirectory home;
    const Environment environment({{"HOME", home.path().string()}});
    home.writeFile(overrideBelowHome, "/somewhere/codex \n");
    EXPECT_EQ(CodexExecutableSearch::overridePath(environment), "/somewhere/codex");

    home.writeFile(overrideBelowHome, " \n\t ");
    EXPECT_EQ(CodexExecutableSearch::overridePath(environment), std::nullopt);

    // Nothing else in its place may block the search, be read without bound or count as a path;
    // a file far larger than any path is not an override (it used to be cut at 64 KiB and used).
    const auto linkTarget = home.writeFile("elsewhere", "/linked/codex\n");
    for (const auto kind : HostileFile::allKinds()) {
        std::filesystem::remove_all(home.path() / overrideBelowHome);
        HostileFile::place(kind, home.path() / overrideBelowHome, linkTarget);
        EXPECT_EQ(CodexExecutableSearch::overridePath(environment), std::nullopt) << HostileFile::name(kind);
    }
    home.writeFile(overrideBelowHome, "/somewhere/codex" + std::string(64 * 1024, ' '));
    EXPECT_EQ(CodexExecutableSearch::overridePath(environment), std::nullopt);
}

// The override names a program the application runs: a file or folder someone else could have
// written is ignored, with one log line however often the search runs.
TEST(CodexExecutableSearchTests, AnOverrideOthersCouldHaveWrittenIsIgnored)
{
    TemporaryDirectory home;
    const Environment environment({{"HOME", home.path().string()}});
    const auto file = home.writeFile(overrideBelowHome, "/somewhere/codex\n");
    const auto folder = file.parent_path();
    std::vector<std::string> logged;
    CodexExecutableSearch::setRefusalLog([&](const std::string &message) { logged.push_back(message); });
    struct Case {
        std::filesystem::path path;
        mode_t mode;
        uid_t owner;
    };
    for (const auto &[path, mode, owner] : {Case{file, 0620, ::getuid()}, Case{file, 0602, ::getuid()},
                                            Case{folder, 0770, ::getuid()}, Case{folder, 0757, ::getuid()},
                                            Case{file, 0600, 4242}, Case{folder, 0700, 4242}}) {
        if (owner != ::getuid() && ::geteuid() != 0)
            continue; // only root can give a file away
        ::chmod(file.c_str(), 0600);
        ::chmod(folder.c_str(), 0700);
        ASSERT_EQ(CodexExecutableSearch::overridePath(environment), "/somewhere/codex");
        ASSERT_EQ(::chmod(path.c_str(), mode) | ::lchown(path.c_str(), owner, gid_t(-1)), 0);
        EXPECT_EQ(CodexExecutableSearch::overridePath(environment), std::nullopt) << path << " " << mode;
        ASSERT_EQ(::lchown(path.c_str(), ::getuid(), gid_t(-1)), 0);
    }
    EXPECT_EQ(logged.size(), 1u);
    CodexExecutableSearch::setRefusalLog({});
}

TEST(CodexExecutableSearchTests, FirstExecutableRegularFileWinsAndNoneIsAnError)
{
    TemporaryDirectory home;
    const auto plain = home.writeFile("plain/codex", "not executable").string();
    const auto folder = (home.path() / "folder/codex").string();
    std::filesystem::create_directories(folder);
    const auto real = executableAt(home, ".local/bin/codex");
    std::filesystem::create_symlink(real, home.path() / "linked");
    // The file names a real executable, but the bytes after its NUL make it another path.
    const auto truncated = real + std::string("\0/junk", 6);
    home.writeFile(overrideBelowHome, truncated);

    const Environment environment(
        {{"PULSE_GROVE_CODEX_PATH", plain}, {"HOME", home.path().string()}, {"PATH", home.path().string()}});
    ASSERT_EQ(CodexExecutableSearch::candidates(environment).at(1), truncated);
    EXPECT_EQ(CodexExecutableSearch::resolveExecutable(environment), real);
    for (const auto &rejected : {plain, folder, truncated})
        EXPECT_FALSE(CodexExecutableSearch::isExecutableFile(rejected)) << rejected;
    EXPECT_TRUE(CodexExecutableSearch::isExecutableFile((home.path() / "linked").string()));

    std::filesystem::remove(real);
    if (CodexExecutableSearch::isExecutableFile("/usr/local/bin/codex") ||
        CodexExecutableSearch::isExecutableFile("/home/linuxbrew/.linuxbrew/bin/codex"))
        GTEST_SKIP() << "this machine has codex installed in a fixed place";
    EXPECT_THAT([&] { CodexExecutableSearch::resolveExecutable(environment); },
                ::testing::Throws<CodexRateLimitClientError>(::testing::Property(
                    &CodexRateLimitClientError::errorCase, CodexRateLimitClientError::Case::executableNotFound)));
}
