#include "FakeCodex.h"
#include "HostileFile.h"
#include "ScopedEnvironmentVariable.h"
#include "ScopedUmask.h"
#include "TemporaryDirectory.h"
#include "foundation/TrustedPath.h"
#include "quota/CodexExecutableSearch.h"
#include "quota/CodexRateLimitClient.h"
#include "quota/CodexRateLimitClientError.h"

#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace pulsegrove;
using pulsegrove::testing::FakeCodex;
using pulsegrove::testing::HostileFile;
using pulsegrove::testing::ScopedEnvironmentVariable;
using pulsegrove::testing::ScopedUmask;
using pulsegrove::testing::TemporaryDirectory;

namespace {

constexpr const char *overrideBelowHome = ".local/share/Pulsegrove/codex-path";

std::string executableAt(const TemporaryDirectory &folder, const std::string &relativePath)
{
    const auto path = folder.writeFile(relativePath, "#!/bin/sh\n");
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    return path.string();
}

// Whether this folder and each one above it belong to root or this user and only they can write
// them: judged here on its own, so that a search refusing everything cannot pass for a skip.
bool nobodyElseCanChange(const std::filesystem::path &folder)
{
    for (auto path = folder;; path = path.parent_path()) {
        struct stat status {};
        if (::stat(path.c_str(), &status) != 0 || (status.st_uid != 0 && status.st_uid != ::geteuid()) ||
            (status.st_mode & (S_IWGRP | S_IWOTH)) != 0)
            return false;
        if (path == path.parent_path())
            return true;
    }
}

// Where a folder beyond other users' reach may be had: the test program's own folder, unless the
// checkout lies in the system's temporary folder, else the home folder (as the environment or the
// user database names it) or the runtime folder.
std::vector<std::filesystem::path> trustedFolderCandidates()
{
    std::error_code error;
    std::vector<std::filesystem::path> bases{std::filesystem::read_symlink("/proc/self/exe", error).parent_path()};
    for (const char *variable : {"HOME", "XDG_RUNTIME_DIR"}) {
        if (const char *value = std::getenv(variable))
            bases.emplace_back(value);
    }
    if (const passwd *user = ::getpwuid(::geteuid()))
        bases.emplace_back(user->pw_dir);
    bases.emplace_back("/run/user/" + std::to_string(::geteuid()));
    return bases;
}

// A fresh 0700 temporary folder where a program can be trusted, removed with the object. The
// system's temporary folder is open to everyone, so the folder is made in the first candidate
// that only this user and root can change and this user may write in.
std::unique_ptr<TemporaryDirectory> trustedTemporaryDirectory()
{
    std::error_code error;
    for (const auto &base : trustedFolderCandidates()) {
        const auto real = std::filesystem::weakly_canonical(base, error);
        if (base.empty() || error || !nobodyElseCanChange(real) || ::access(real.c_str(), W_OK) != 0)
            continue;
        const ScopedEnvironmentVariable temporaryFolder("TMPDIR", real.string());
        return std::make_unique<TemporaryDirectory>();
    }
    return nullptr;
}

constexpr const char *noTrustedFolder =
    "neither this program's folder, the home folder nor the runtime folder is beyond other users' reach";

// Empty when the trust cases can be set up here; otherwise why not.
std::string whyTrustCannotBeTried()
{
    if (!trustedTemporaryDirectory())
        return noTrustedFolder;
    if (CodexExecutableSearch::isExecutableFile("/usr/local/bin/codex") ||
        CodexExecutableSearch::isExecutableFile("/home/linuxbrew/.linuxbrew/bin/codex"))
        return "this machine has codex installed in a fixed place, which would answer first";
    return {};
}

// How the search meets the program.
enum class Named { byOverrideFile, atInstallPlace, atInstallPlaceAndOnPath, byVariable, onPath };

// A program that leaves a mark beside the name it was run by, in a fresh trusted tree whose home
// is home/; paths are below the tree. A link in the home is relative, as package managers make
// them; any other is absolute.
struct Placement {
    const char *description;
    Named named;
    std::string program;
    std::string link = {};                    // what names the program, when a link does
    std::pair<std::string, mode_t> mode = {}; // given after all is made
    // A piece of the one log line that says why the program was passed over; empty when it is not.
    std::string refusal = {};
    std::string givenAway = {}; // given to user 4242 (root only)
    // Whether a group that can write a folder or the program is its owner's alone; otherwise user
    // 4242 is in it too.
    bool groupIsOwnersAlone = false;
    bool runs() const { return refusal.empty() || named == Named::atInstallPlaceAndOnPath; }
};

std::filesystem::path placeProgram(const Placement &placement, const std::filesystem::path &root)
{
    const auto program = root / placement.program;
    std::filesystem::create_directories(program.parent_path());
    std::ofstream(program) << "#!/bin/sh\n: > \"$0.ran\"\n";
    ::chmod(program.c_str(), 0755);
    if (placement.link.empty())
        return program;
    const auto link = root / placement.link;
    std::filesystem::create_directories(link.parent_path());
    std::filesystem::create_symlink(placement.link.starts_with("home/")
                                        ? std::filesystem::relative(program, link.parent_path())
                                        : program,
                                    link);
    return link;
}

// Runs two refreshes with the placement's program ahead of a well-behaved fake on PATH: a program
// passed over leaves no mark, is logged once, and the fake answers; one that runs leaves its mark.
void expectPlacement(const Placement &placement)
{
    SCOPED_TRACE(placement.description);
    const ScopedUmask umask(022);
    const auto tree = trustedTemporaryDirectory();
    ASSERT_TRUE(tree);
    const auto named = placeProgram(placement, tree->path());
    FakeCodex fake(FakeCodex::answering());
    const auto fakeFolder = std::filesystem::path(fake.path()).parent_path().string();
    std::map<std::string, std::string> variables{{"HOME", (tree->path() / "home").string()},
                                                 {"PATH", fakeFolder}};
    if (placement.named == Named::byOverrideFile)
        tree->writeFile(std::filesystem::path("home") / overrideBelowHome, named.string() + "\n");
    if (placement.named == Named::byVariable)
        variables[CodexExecutableSearch::pathVariable] = named.string();
    if (placement.named == Named::onPath || placement.named == Named::atInstallPlaceAndOnPath)
        variables["PATH"] = named.parent_path().string() + ":" + fakeFolder;
    if (!placement.mode.first.empty()) {
        ASSERT_EQ(::chmod((tree->path() / placement.mode.first).c_str(), placement.mode.second), 0);
    }
    if (!placement.givenAway.empty()) {
        ASSERT_EQ(::lchown((tree->path() / placement.givenAway).c_str(), 4242, gid_t(-1)), 0);
    }
    std::vector<std::string> logged;
    CodexExecutableSearch::setRefusalLog([&](const std::string &message) { logged.push_back(message); });
    CodexExecutableSearch::setGroupLookup([alone = placement.groupIsOwnersAlone](gid_t) {
        return GroupMembership{{::geteuid()}, alone ? std::vector<uid_t>{} : std::vector<uid_t>{4242}};
    });

    CodexRateLimitClient::Timing timing;
    timing.stop.inputCloseGrace = timing.stop.terminateGrace = std::chrono::milliseconds(50);
    const CodexRateLimitClient client(Environment(variables), timing);
    for (int refresh = 0; refresh < 2; ++refresh) {
        if (placement.runs())
            EXPECT_THROW(client.fetchSynchronously({}), CodexRateLimitClientError);
        else
            EXPECT_NO_THROW(EXPECT_EQ(client.fetchSynchronously({}).planType(), "pro"));
    }
    CodexExecutableSearch::setRefusalLog({});
    CodexExecutableSearch::setGroupLookup({});
    EXPECT_EQ(std::filesystem::exists(named.string() + ".ran"), placement.runs());
    EXPECT_EQ(fake.pid().has_value(), !placement.runs());
    if (placement.refusal.empty())
        EXPECT_THAT(logged, ::testing::IsEmpty());
    else
        EXPECT_THAT(logged,
                    ::testing::ElementsAre(::testing::AllOf(::testing::HasSubstr(named.string()),
                                                            ::testing::HasSubstr(placement.refusal))));
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
    for (const auto &[path, mode, owner] :
         {Case{file, 0620, ::getuid()}, Case{file, 0602, ::getuid()}, Case{folder, 0770, ::getuid()},
          Case{folder, 0757, ::getuid()}, Case{file, 0600, 4242}, Case{folder, 0700, 4242}}) {
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

    // A link is refused as a link, though what it points at is the user's own.
    std::filesystem::remove(file);
    std::filesystem::create_symlink(home.writeFile("elsewhere", "/somewhere/codex\n"), file);
    EXPECT_EQ(CodexExecutableSearch::overridePath(environment), std::nullopt);
    ASSERT_EQ(logged.size(), 2u);
    EXPECT_THAT(logged.back(), ::testing::AllOf(::testing::HasSubstr("symbolic link"),
                                                ::testing::Not(::testing::HasSubstr("another user"))));
    CodexExecutableSearch::setRefusalLog({});
}

// A FIFO or a folder in the override's place is passed over with one line saying what it is.
TEST(CodexExecutableSearchTests, AnOverrideThatIsNoRegularFileIsLoggedOnce)
{
    TemporaryDirectory home;
    const Environment environment({{"HOME", home.path().string()}});
    const auto file = home.writeFile(overrideBelowHome, "");
    for (const auto &[kind, said] : {std::pair{HostileFile::Kind::fifo, "it is a FIFO (named pipe)"},
                                     std::pair{HostileFile::Kind::folder, "it is a folder"}}) {
        std::filesystem::remove_all(file);
        HostileFile::place(kind, file);
        std::vector<std::string> logged;
        CodexExecutableSearch::setRefusalLog([&](const std::string &message) { logged.push_back(message); });
        for (int refresh = 0; refresh < 2; ++refresh)
            EXPECT_EQ(CodexExecutableSearch::overridePath(environment), std::nullopt);
        EXPECT_THAT(logged, ::testing::ElementsAre(::testing::AllOf(::testing::HasSubstr(file.string()),
                                                                    ::testing::HasSubstr(said))));
    }
    CodexExecutableSearch::setRefusalLog({});
}

TEST(CodexExecutableSearchTests, FirstExecutableRegularFileWinsAndNoneIsAnError)
{
    const ScopedUmask umask(022);
    const auto trusted = trustedTemporaryDirectory();
    if (!trusted)
        GTEST_SKIP() << noTrustedFolder;
    const TemporaryDirectory &home = *trusted;
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
    EXPECT_THAT(
        [&] { CodexExecutableSearch::resolveExecutable(environment); },
        ::testing::Throws<CodexRateLimitClientError>(::testing::Property(
            &CodexRateLimitClientError::errorCase, CodexRateLimitClientError::Case::executableNotFound)));
}

// The program the override file names, or one found at an install place, runs only when no other
// user can have put it there: not the program, its folder, a folder above, nor a link on the way.
// The variable and PATH are the user's own choice and are taken as they are.
TEST(CodexExecutableSearchTrustTests, AProgramOthersCouldHavePutThereIsPassedOverForTheNext)
{
    if (const auto reason = whyTrustCannotBeTried(); !reason.empty())
        GTEST_SKIP() << reason;
    constexpr auto file = Named::byOverrideFile;
    constexpr auto place = Named::atInstallPlace;
    const std::pair<std::string, mode_t> open{"open", 0777}, sticky{"sticky", 01777}, shared{"shared", 0775},
        program{"own/codex", 0775}, bin{"home/.local/bin", 0775}, home{"home", 0777};
    const std::string byAll = " can be written by group or others";
    const std::string stickyToo = "/sticky can be written by others (its sticky bit is not enough)";
    const Placement placements[] = {
        {"in the user's own folder", file, "own/codex"},
        {"through a link of the user's own", file, "own/codex", "links/codex"},
        {"in a folder everyone can write", file, "open/codex", "", open, "/open" + byAll},
        {"in a sticky folder everyone can write", file, "sticky/codex", "", sticky, stickyToo},
        {"in a folder its group can write", file, "shared/codex", "", shared, "/shared" + byAll},
        {"that its group can write", file, "own/codex", "", program, "/own/codex" + byAll},
        {"below a folder everyone can write", file, "open/inner/codex", "", open, "/open" + byAll},
        {"through a link in the user's folder", file, "open/codex", "home/links/codex", open,
         "/open" + byAll},
        {"through a link others could replace", file, "own/codex", "open/codex", open, "/open" + byAll},
        {"at an install place, linked to the user's own", place, "own/codex", "home/.local/bin/codex"},
        {"at an install place its group can write", place, "home/.local/bin/codex", "", bin, "/bin" + byAll},
        // A private group per user and umask 002 make the user's own folders so.
        {"at an install place that only its owner's group can write", place, "home/.local/bin/codex", "", bin,
         "", "", true},
        // Passed over as an install place, it still runs where the user's PATH names it.
        {"the same, also on PATH", Named::atInstallPlaceAndOnPath, "home/.local/bin/codex", "", bin,
         "/bin" + byAll},
        {"at an install place in an open home", place, "home/bin/codex", "", home, "/home" + byAll},
        {"at an install place, linked into an open folder", place, "open/codex", "home/bin/codex", open,
         "/open" + byAll},
        {"named by the variable, in an open folder", Named::byVariable, "open/codex", "", open},
        {"on PATH, in an open folder", Named::onPath, "open/codex", "", open},
    };
    for (const auto &placement : placements)
        expectPlacement(placement);
}

TEST(CodexExecutableSearchTrustTests, AProgramOrFolderOfAnotherUserIsPassedOver)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can give a file to another user";
    if (const auto reason = whyTrustCannotBeTried(); !reason.empty())
        GTEST_SKIP() << reason;
    const std::string theirs = " belongs to another user (uid 4242)";
    constexpr auto file = Named::byOverrideFile;
    const std::pair<std::string, mode_t> keep{};
    const Placement placements[] = {
        {"owned by another user", file, "own/codex", "", keep, "/own/codex" + theirs, "own/codex"},
        {"in another user's folder", file, "theirs/codex", "", keep, "/theirs" + theirs, "theirs"},
        {"at an install place, linked to another user's program", Named::atInstallPlace, "own/codex",
         "home/.local/bin/codex", keep, "/own/codex" + theirs, "own/codex"},
    };
    for (const auto &placement : placements)
        expectPlacement(placement);
}

// The walk reads each link itself and judges every folder it leads through: a link in a trusted
// folder to a program in an open one is refused for the open folder, not trusted for its target.
TEST(TrustedPathTests, ALinkIsJudgedByTheFoldersItLeadsThrough)
{
    const auto tree = trustedTemporaryDirectory();
    if (!tree)
        GTEST_SKIP() << noTrustedFolder;
    executableAt(*tree, "open/codex");
    ASSERT_EQ(::chmod((tree->path() / "open").c_str(), 0777), 0);
    std::filesystem::create_directory(tree->path() / "own");
    std::filesystem::create_symlink("../open/codex", tree->path() / "own/codex");
    EXPECT_THAT(TrustedPath::distrust(tree->path() / "own/codex"),
                ::testing::Optional(::testing::HasSubstr((tree->path() / "open").string() + " can be written")));
}

// A folder or program its group can write is trusted when the group is its owner's alone: the
// owner's primary group or member list, and nobody else's. Others may never write it.
TEST(TrustedPathTests, WhatItsGroupCanWriteIsTrustedOnlyWhenTheGroupIsItsOwnersAlone)
{
    const ScopedUmask umask(022);
    const auto tree = trustedTemporaryDirectory();
    if (!tree)
        GTEST_SKIP() << noTrustedFolder;
    const std::filesystem::path program = executableAt(*tree, "bin/codex");
    const auto folder = tree->path() / "bin";
    struct stat status {};
    ASSERT_EQ(::stat(folder.c_str(), &status), 0);
    const uid_t owner = ::geteuid(), other = owner + 1;
    using Members = std::optional<GroupMembership>;
    struct Case {
        std::filesystem::path changed;
        mode_t mode;
        Members members;
        bool trusted;
    };
    const Case cases[] = {
        {folder, 0775, GroupMembership{{owner}, {}}, true},
        {folder, 0775, GroupMembership{{}, {owner}}, true},
        {program, 0775, GroupMembership{{owner}, {owner}}, true},
        {folder, 0775, GroupMembership{{owner}, {owner, other}}, false},
        {folder, 0775, GroupMembership{{owner, other}, {}}, false},
        {program, 0775, GroupMembership{{other}, {owner}}, false},
        {folder, 0775, GroupMembership{}, false},
        {folder, 0775, std::nullopt, false},
        {folder, 0777, GroupMembership{{owner}, {}}, false},
        {folder, 01777, GroupMembership{{owner}, {}}, false},
    };
    for (const auto &[changed, mode, members, trusted] : cases) {
        ::chmod(folder.c_str(), 0755);
        ::chmod(program.c_str(), 0755);
        ASSERT_EQ(::chmod(changed.c_str(), mode), 0);
        // Asked about any other group, the lookup answers as for a group that cannot be told.
        const auto lookup = [&](gid_t group) { return group == status.st_gid ? members : std::nullopt; };
        EXPECT_EQ(!TrustedPath::distrust(program, lookup), trusted) << changed << " " << std::oct << mode;
    }
}

// The system's own databases: the user's primary group counts the user, and the group of another
// user (nobody) is not this user's alone, nor trusted where it can write (only root can give it).
TEST(TrustedPathTests, TheSystemsDatabasesTellWhoIsInAGroup)
{
    const passwd *me = ::getpwuid(::geteuid());
    if (!me)
        GTEST_SKIP() << "this user is not in the user database";
    const gid_t myGroup = me->pw_gid;
    const auto mine = GroupMembership::lookUp(myGroup);
    ASSERT_TRUE(mine);
    EXPECT_THAT(mine->primaryOf, ::testing::Contains(::geteuid()));
    const passwd *nobody = ::getpwnam("nobody");
    if (!nobody || nobody->pw_gid == myGroup)
        GTEST_SKIP() << "no user nobody with a group of its own";
    const gid_t theirGroup = nobody->pw_gid;
    ASSERT_TRUE(GroupMembership::lookUp(theirGroup));
    EXPECT_FALSE(GroupMembership::lookUp(theirGroup)->isOnly(::geteuid()));
    const auto tree = trustedTemporaryDirectory();
    if (!tree || ::geteuid() != 0)
        GTEST_SKIP() << "only root can give a folder to another group";
    const std::filesystem::path program = executableAt(*tree, "bin/codex");
    ASSERT_EQ(::chown(program.parent_path().c_str(), ::geteuid(), theirGroup), 0);
    ASSERT_EQ(::chmod(program.parent_path().c_str(), 0775), 0);
    EXPECT_THAT(TrustedPath::distrust(program),
                ::testing::Optional(::testing::HasSubstr("group " + std::to_string(theirGroup))));
}
