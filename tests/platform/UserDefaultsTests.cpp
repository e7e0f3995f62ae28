#include "BackgroundFileWriter.h"
#include "HostileFile.h"
#include "InterProcessLock.h"
#include "Logger.h"
#include "RecordingSystemLog.h"
#include "ScopedDescriptorExhaustion.h"
#include "ScopedUmask.h"
#include "TemporaryDirectory.h"
#include "UserDefaults.h"

#include <QTest>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <iostream>
#include <linux/fs.h>
#include <nlohmann/json.hpp>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>

using namespace pulsegrove;
using pulsegrove::testing::HostileFile;
using pulsegrove::testing::ScopedDescriptorExhaustion;
using pulsegrove::testing::TemporaryDirectory;

namespace {

class UserDefaultsTests : public ::testing::Test {
protected:
    std::filesystem::path suiteFolder() const { return m_folder.path() / "Pulsegrove"; }
    std::unique_ptr<UserDefaults> suite(const std::string &name = "io.velorn.Pulsegrove.test") const
    {
        return std::make_unique<UserDefaults>(
            name, Environment({{"XDG_CONFIG_HOME", m_folder.path().string()}}), m_log);
    }
    std::filesystem::path suiteFile() const { return suiteFolder() / "io.velorn.Pulsegrove.test.json"; }
    std::filesystem::path lockFile() const { return suiteFolder() / "io.velorn.Pulsegrove.test.json.lock"; }
    // What a suite's folder holds after clean writes: the suite and the lock file every writer shares.
    static inline const std::vector<std::string> suiteAndLock = {"io.velorn.Pulsegrove.test.json",
                                                                 "io.velorn.Pulsegrove.test.json.lock"};
    std::filesystem::path writeSuiteFile(const std::string &content) const
    {
        return m_folder.writeFile("Pulsegrove/io.velorn.Pulsegrove.test.json", content);
    }
    static std::string bytesOf(const std::filesystem::path &path)
    {
        return TemporaryDirectory::readFile(path);
    }
    static nlohmann::json fileContents(const std::filesystem::path &path)
    {
        return nlohmann::json::parse(std::ifstream(path));
    }
    // The names in the suite folder, sorted.
    std::vector<std::string> suiteFolderNames() const
    {
        std::vector<std::string> names;
        for (const auto &entry : std::filesystem::directory_iterator(suiteFolder()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    std::vector<QString> loggedErrors() const
    {
        std::vector<QString> errors;
        for (const auto &entry : m_log->entries) {
            if (entry.level == LogLevel::error && entry.category == QStringLiteral("defaults"))
                errors.push_back(entry.rendered);
        }
        return errors;
    }

    // A change whose write failed waits for a retry: it gets its last try before the folder goes.
    void TearDown() override { BackgroundFileWriter::shared().drain(); }

    TemporaryDirectory m_folder;
    std::shared_ptr<RecordingSystemLog> m_log = std::make_shared<RecordingSystemLog>();
};

// Files cannot grow beyond `bytes` while it lives; writing past the limit fails with EFBIG
// instead of ending the process.
class ScopedFileSizeLimit {
public:
    explicit ScopedFileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_previous);
        m_previousHandler = ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_previous;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~ScopedFileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_previous);
        ::signal(SIGXFSZ, m_previousHandler);
    }
    ScopedFileSizeLimit(const ScopedFileSizeLimit &) = delete;
    ScopedFileSizeLimit &operator=(const ScopedFileSizeLimit &) = delete;

private:
    rlimit m_previous{};
    sighandler_t m_previousHandler = SIG_DFL;
};

// Nothing can be created in the folder while it lives: its mode leaves no write permission, and
// for root, which ignores modes, it is also marked immutable (not enforced where the file system
// cannot mark it).
class ScopedReadOnlyFolder {
public:
    explicit ScopedReadOnlyFolder(const std::filesystem::path &folder)
        : m_descriptor(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
    {
        ::fchmod(m_descriptor, 0500);
        m_enforced = ::geteuid() != 0 || setImmutable(true);
    }
    ~ScopedReadOnlyFolder()
    {
        setImmutable(false);
        ::fchmod(m_descriptor, 0700);
        ::close(m_descriptor);
    }
    ScopedReadOnlyFolder(const ScopedReadOnlyFolder &) = delete;
    ScopedReadOnlyFolder &operator=(const ScopedReadOnlyFolder &) = delete;

    bool isEnforced() const { return m_enforced; }

private:
    bool setImmutable(bool immutable) const
    {
        int flags = 0;
        if (::ioctl(m_descriptor, FS_IOC_GETFLAGS, &flags) != 0)
            return false;
        flags = immutable ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        return ::ioctl(m_descriptor, FS_IOC_SETFLAGS, &flags) == 0;
    }

    int m_descriptor;
    bool m_enforced = false;
};

} // namespace

TEST_F(UserDefaultsTests, ValuesKeepTheirTypeOnDiskAndAcrossObjects)
{
    const pulsegrove::testing::ScopedUmask openToAll;
    const auto writer = suite();
    const auto reader = suite();
    ASSERT_TRUE(writer->setBool("flag", false) && writer->setNumber("count", 2.5) &&
                writer->setString("theme", "violet") && writer->setStringList("hidden", {"spark", "hints"}) &&
                writer->flush());
    EXPECT_EQ(reader->stringListValue("hidden"), (std::vector<std::string>{"spark", "hints"}));
    EXPECT_EQ(fileContents(writer->fileURL()),
              (nlohmann::json{
                  {"flag", false}, {"count", 2.5}, {"theme", "violet"}, {"hidden", {"spark", "hints"}}}));
    // Written whole through a temporary file that does not stay behind, readable by the user only.
    EXPECT_EQ(suiteFolderNames(), suiteAndLock);
    for (const auto &file : {suiteFile(), lockFile()})
        EXPECT_EQ(std::filesystem::status(file).permissions(), std::filesystem::perms(0600)) << file;
    EXPECT_EQ(std::filesystem::status(suiteFolder()).permissions(), std::filesystem::perms(0700));
}

// Whatever makes the file unusable, the next write keeps the old file beside the suite (a second
// bad file does not replace the first copy), says so in the log, and writes the suite afresh
// with every value this process knew. Reading never blocks and never holds more than the cap.
TEST_F(UserDefaultsTests, AnUnusableFileIsMovedAsideBeforeTheNextWriteAndNothingIsLost)
{
    const std::string valid = R"({"theme": "violet", "count": 3})";
    const std::vector<std::pair<std::string, std::string>> contents = {
        {"truncated", valid.substr(0, valid.size() - 3)},
        {"one invalid byte", R"({"theme": "vio)"
                             "\xff"
                             R"(let", "count": 3})"},
        {"not an object", R"(["theme", "violet"])"},
        {"empty", ""},
        {"nested too deeply", std::string(200, '[') + std::string(200, ']')},
        {"larger than the cap", R"({"pad": ")" + std::string(2 * 1024 * 1024, ' ') + R"("})"},
    };
    const auto check = [&](const std::string &name, const std::function<void()> &place,
                           const std::function<void(const std::filesystem::path &)> &checkAside) {
        SCOPED_TRACE(name);
        auto defaults = suite();
        ASSERT_TRUE(defaults->setString("theme", "sunset") && defaults->setNumber("count", 2) &&
                    defaults->flush());
        place();
        // What this process knew stays readable; the bad file is neither used nor yet touched.
        EXPECT_EQ(defaults->stringValue("theme"), "sunset");
        EXPECT_EQ(suite()->numberValue("count"), 2.0);
        const auto errorsBefore = loggedErrors().size();
        ASSERT_TRUE(defaults->setBool("flag", true) && defaults->flush());
        EXPECT_EQ(fileContents(suiteFile()),
                  (nlohmann::json{{"theme", "sunset"}, {"count", 2}, {"flag", true}}));
        checkAside(suiteFolder() / "io.velorn.Pulsegrove.test.json.corrupt");
        ASSERT_EQ(loggedErrors().size(), errorsBefore + 1);
        EXPECT_TRUE(loggedErrors().back().contains(QStringLiteral("io.velorn.Pulsegrove.test.json.corrupt")))
            << loggedErrors().back().toStdString();
        std::filesystem::remove_all(suiteFolder());
    };
    for (const auto &[name, content] : contents) {
        check(
            name, [&] { writeSuiteFile(content); },
            [&](const std::filesystem::path &aside) { EXPECT_EQ(bytesOf(aside), content); });
    }
    const auto linkTarget = m_folder.writeFile("elsewhere.json", valid);
    for (const auto kind : HostileFile::allKinds()) {
        // Moved aside as it is: a link stays a link, a FIFO a FIFO.
        auto placedType = std::filesystem::file_type::none;
        check(
            HostileFile::name(kind),
            [&] {
                std::filesystem::remove(suiteFile());
                HostileFile::place(kind, suiteFile(), linkTarget);
                placedType = std::filesystem::symlink_status(suiteFile()).type();
            },
            [&](const std::filesystem::path &aside) {
                EXPECT_EQ(std::filesystem::symlink_status(aside).type(), placedType);
            });
    }
    EXPECT_EQ(bytesOf(linkTarget), valid);

    // A second bad file while the first copy is still there gets a name of its own.
    const auto defaults = suite();
    writeSuiteFile("first");
    ASSERT_TRUE(defaults->setBool("flag", true) && defaults->flush());
    writeSuiteFile("second");
    ASSERT_TRUE(defaults->setBool("flag", false) && defaults->flush());
    EXPECT_EQ(bytesOf(suiteFolder() / "io.velorn.Pulsegrove.test.json.corrupt"), "first");
    EXPECT_EQ(bytesOf(suiteFolder() / "io.velorn.Pulsegrove.test.json.corrupt-1"), "second");
}

// A file that cannot be read for a passing reason (here: no descriptor left) is not an empty
// suite: reads keep what was read before, a write fails, keeps its change and leaves the file
// alone, and once the cause has gone every value is there and the next write keeps them all.
TEST_F(UserDefaultsTests, AFileThatCannotBeReadForAMomentIsNeitherEmptiedNorOverwritten)
{
    const auto defaults = suite();
    ASSERT_TRUE(defaults->setString("theme", "violet") && defaults->setBool("flag", true) &&
                defaults->flush());
    const auto changedElsewhere = writeSuiteFile(R"({"theme": "violet", "flag": true, "count": 7})");
    const std::string before = bytesOf(changedElsewhere);
    bool setWhileExhausted = true;
    std::optional<std::string> themeWhileExhausted;
    std::optional<std::string> themeOfFreshSuiteWhileExhausted;
    // The undefined-behaviour sanitizer checks the type behind each virtual call and needs a
    // descriptor the first time it meets one; a log call now lets it remember this log's type.
    Logger(m_log, QStringLiteral("test")).info(QStringLiteral("about to run out of descriptors"));
    {
        const ScopedDescriptorExhaustion exhaustion;
        themeWhileExhausted = defaults->stringValue("theme");
        themeOfFreshSuiteWhileExhausted = suite("io.velorn.Pulsegrove.test")->stringValue("theme");
        setWhileExhausted = defaults->setString("theme", "emerald") && defaults->flush();
        themeWhileExhausted = defaults->stringValue("theme");
    }
    EXPECT_EQ(themeWhileExhausted, "emerald");
    EXPECT_EQ(themeOfFreshSuiteWhileExhausted, "violet");
    EXPECT_FALSE(setWhileExhausted);
    EXPECT_EQ(bytesOf(changedElsewhere), before);
    ASSERT_FALSE(loggedErrors().empty());
    EXPECT_TRUE(loggedErrors().back().contains(QStringLiteral("the change is kept and tried again")));

    defaults->reload();
    ASSERT_TRUE(defaults->flush());
    EXPECT_EQ(defaults->numberValue("count"), 7.0);
    EXPECT_TRUE(defaults->setString("theme", "emerald") && defaults->flush());
    EXPECT_EQ(fileContents(suiteFile()),
              (nlohmann::json{{"theme", "emerald"}, {"flag", true}, {"count", 7}}));
}

// Two processes that each write 300 keys as fast as they can into one suite: every key of both
// survives, because each write re-reads the file under a lock the other honours.
TEST_F(UserDefaultsTests, ConcurrentWriterProcessesKeepEachOthersKeys)
{
    constexpr int keysEach = 300;
    std::vector<pid_t> writers;
    for (const char *prefix : {"first-", "second-"}) {
        const std::string count = std::to_string(keysEach);
        const std::string folder = m_folder.path().string();
        const char *const arguments[] = {
            DEFAULTS_WRITER_PATH, folder.c_str(), "io.velorn.Pulsegrove.test", prefix,
            count.c_str(),        nullptr};
        pid_t pid = 0;
        ASSERT_EQ(::posix_spawn(&pid, DEFAULTS_WRITER_PATH, nullptr, nullptr,
                                const_cast<char *const *>(arguments), environ),
                  0);
        writers.push_back(pid);
    }
    for (const pid_t pid : writers) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0) << "setters that reported failure";
    }
    const auto stored = fileContents(suiteFile());
    EXPECT_EQ(stored.size(), 2u * keysEach);
    for (int index = 0; index < keysEach; ++index) {
        EXPECT_EQ(stored.value("first-" + std::to_string(index), -1), index);
        EXPECT_EQ(stored.value("second-" + std::to_string(index), -1), index);
    }
    EXPECT_EQ(suiteFolderNames(), suiteAndLock);
}

// Reads never touch the file; a reload or the next write picks up what another process wrote,
// and the observers hear of it.
TEST_F(UserDefaultsTests, ChangesMadeElsewhereAreSeenOnReloadOrTheNextWriteAndOtherTypesReadAsAbsent)
{
    const auto defaults = suite();
    std::vector<bool> heard;
    const int token = defaults->observeChanges([&](bool writeFailed) { heard.push_back(writeFailed); });
    EXPECT_TRUE(defaults->setString("theme", "violet") && defaults->flush());
    const std::string elsewhere =
        R"({"one": 1, "flag": true, "mixed": ["a", 1], "empty": [], "null": null, "theme": )";
    writeSuiteFile(elsewhere + "\"sunset\"}");
    EXPECT_EQ(defaults->stringValue("theme"), "violet");
    EXPECT_TRUE(heard.empty());
    const auto reload = [&] {
        defaults->reload();
        ASSERT_TRUE(defaults->flush());
    };
    reload();
    EXPECT_EQ(heard, std::vector<bool>{false});
    defaults->stopObserving(token);
    EXPECT_EQ(defaults->stringValue("theme"), "sunset");
    EXPECT_EQ(defaults->numberValue("one"), 1.0);
    EXPECT_EQ(defaults->stringListValue("empty"), std::vector<std::string>{});
    EXPECT_TRUE(defaults->containsKey("null"));
    EXPECT_FALSE(defaults->boolValue("one") || defaults->numberValue("flag") ||
                 defaults->stringListValue("mixed"));

    // A write starts from the file's latest contents, so the other writer's keys survive.
    writeSuiteFile(elsewhere + "\"dusk\"}");
    EXPECT_TRUE(defaults->setBool("flag", false) && defaults->flush());
    EXPECT_EQ(defaults->stringValue("theme"), "dusk");
    auto expected = nlohmann::json::parse(elsewhere + "\"dusk\"}");
    expected["flag"] = false;
    EXPECT_EQ(fileContents(defaults->fileURL()), expected);

    // An edit in place of the same size that puts the old modification time back is still seen:
    // the change time moves on all the same (the pause lets the coarse kernel clock tick).
    writeSuiteFile(R"({"theme": "dawn"})");
    reload();
    ASSERT_EQ(defaults->stringValue("theme"), "dawn");
    struct stat before {};
    ASSERT_EQ(::stat(suiteFile().c_str(), &before), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    writeSuiteFile(R"({"theme": "rose"})");
    const timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, suiteFile().c_str(), times, 0), 0);
    reload();
    EXPECT_EQ(defaults->stringValue("theme"), "rose");
}

TEST_F(UserDefaultsTests, RemovingADomainRemovesItsFileAndValues)
{
    auto first = suite("first");
    auto second = suite("second");
    ASSERT_TRUE(first->setString("b", "2") && second->setString("c", "3"));

    first->removePersistentDomain("second");
    EXPECT_FALSE(second->containsKey("c"));
    ASSERT_TRUE(second->flush());
    EXPECT_FALSE(std::filesystem::exists(second->fileURL()));
    first->removePersistentDomain("first");
    first->removePersistentDomain("never-written");
    EXPECT_FALSE(first->containsKey("b"));
    EXPECT_TRUE(first->flush());
    EXPECT_FALSE(std::filesystem::exists(first->fileURL()));
}

TEST_F(UserDefaultsTests, SuiteNamesCannotLeaveTheFolderOrCollide)
{
    for (const std::string &name :
         std::vector<std::string>{"../escape", "a/b", "..", "/etc/passwd", "a%2Fb", {"nul\0x", 5}}) {
        EXPECT_EQ(suite(name)->fileURL().parent_path(), suiteFolder()) << name;
        EXPECT_TRUE(suite(name)->setString("name", name)) << name;
    }
    EXPECT_EQ(UserDefaults::fileNameForSuite("../escape"), "%2E.%2Fescape.json");
    UserDefaults::flushAll();
    const auto names = suiteFolderNames();
    EXPECT_EQ(std::count_if(names.begin(), names.end(),
                            [](const std::string &name) { return name.ends_with(".json"); }),
              6);
}

// A write that fails on the writer's thread is logged and reported to the observers once, and
// by flush(); the change stays (the suite shows it) and waits for a retry. No temporary file stays.
TEST_F(UserDefaultsTests, AFailedWriteIsReportedOnceKeptAndLeavesNoTemporaryFile)
{
    // A file where the suite folder should be makes every write fail, even for root.
    m_folder.writeFile("Pulsegrove", "not a folder");
    const auto defaults = suite();
    std::atomic<int> failuresHeard = 0;
    const int token = defaults->observeChanges([&](bool writeFailed) { failuresHeard += writeFailed; });
    EXPECT_TRUE(defaults->setString("theme", "violet"));
    EXPECT_FALSE(defaults->flush());
    EXPECT_TRUE(defaults->setBool("flag", true));
    EXPECT_FALSE(defaults->flush());
    EXPECT_EQ(defaults->stringValue("theme"), "violet");
    EXPECT_EQ(failuresHeard, 1);
    EXPECT_EQ(loggedErrors().size(), 1u);
    defaults->stopObserving(token);

    // The next write carries what waited.
    std::filesystem::remove(suiteFolder());
    ASSERT_TRUE(defaults->setString("theme", "sunset") && defaults->flush());
    EXPECT_EQ(fileContents(suiteFile()), (nlohmann::json{{"theme", "sunset"}, {"flag", true}}));

    // A file size limit of 0 lets the temporary file be created but not filled. A retry may come
    // at any moment; none succeeds before the limit goes.
    const std::string before = bytesOf(suiteFile());
    bool setBeyondTheLimit = true;
    std::string fileWhileLimited;
    {
        const ScopedFileSizeLimit limit(0);
        setBeyondTheLimit = defaults->setNumber("count", 3) && defaults->flush();
        fileWhileLimited = bytesOf(suiteFile());
    }
    EXPECT_FALSE(setBeyondTheLimit);
    EXPECT_EQ(defaults->numberValue("count"), 3.0);
    EXPECT_EQ(fileWhileLimited, before);
    EXPECT_TRUE(loggedErrors().back().contains(QStringLiteral("could not be saved")));
    BackgroundFileWriter::shared().drain();
    EXPECT_EQ(fileContents(suiteFile())["count"], 3);
    EXPECT_EQ(suiteFolderNames(), suiteAndLock);
    const std::string afterRetry = bytesOf(suiteFile());

    // A value that would make the file larger than its readers take is refused at once.
    EXPECT_FALSE(defaults->setString("pad", std::string(1024 * 1024, 'x')));
    EXPECT_FALSE(defaults->containsKey("pad"));
    EXPECT_TRUE(defaults->flush());
    EXPECT_EQ(bytesOf(suiteFile()), afterRetry);

    EXPECT_FALSE(defaults->setNumber("count", std::nan("")));
    EXPECT_EQ(defaults->numberValue("count"), 3.0);
}

// Whatever stands where the lock file belongs (a FIFO that must not be waited on, a folder, a
// link), it is moved aside like an unusable suite and the write goes on.
TEST_F(UserDefaultsTests, ALockFileThatIsNotARegularFileIsMovedAside)
{
    const auto defaults = suite();
    ASSERT_TRUE(defaults->setString("theme", "sunset") && defaults->flush());
    const auto aside = suiteFolder() / "io.velorn.Pulsegrove.test.json.lock.corrupt";
    const auto linkTarget = m_folder.writeFile("elsewhere", "");
    for (const auto kind :
         {HostileFile::Kind::fifo, HostileFile::Kind::folder, HostileFile::Kind::linkToRegular}) {
        SCOPED_TRACE(HostileFile::name(kind));
        std::filesystem::remove(lockFile());
        HostileFile::place(kind, lockFile(), linkTarget);
        const auto placedType = std::filesystem::symlink_status(lockFile()).type();
        EXPECT_TRUE(defaults->setString("theme", HostileFile::name(kind)) && defaults->flush());
        EXPECT_EQ(fileContents(suiteFile())["theme"], HostileFile::name(kind));
        EXPECT_EQ(std::filesystem::symlink_status(aside).type(), placedType);
        std::filesystem::remove_all(aside);
    }
}

// Two writers that find the same thing where the lock belongs take turns to move it: the later
// one looks again and leaves alone the lock file the first has made and locked meanwhile, so
// only one of them ever holds the lock.
TEST_F(UserDefaultsTests, WritersThatFindTheSameThingInTheLocksPlaceTakeTurnsToMoveIt)
{
    const auto defaults = suite();
    ASSERT_TRUE(defaults->setString("theme", "sunset") && defaults->flush());
    std::filesystem::remove(lockFile());
    HostileFile::place(HostileFile::Kind::fifo, lockFile());
    const int folder = ::open(suiteFolder().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_EQ(::flock(folder, LOCK_EX), 0);
    EXPECT_TRUE(defaults->setString("theme", "violet"));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(std::filesystem::symlink_status(lockFile()).type(), std::filesystem::file_type::fifo)
        << "moved out of turn";

    // The other writer's turn: it moves the FIFO aside and locks the lock file it makes.
    std::filesystem::rename(lockFile(), lockFile().string() + ".corrupt");
    auto other = std::make_unique<InterProcessLock>(lockFile(), std::chrono::milliseconds(0));
    ASSERT_TRUE(other->isLocked());
    ::close(folder);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(lockFile().string() + ".corrupt-1")))
        << "the other writer's lock file was moved aside while it held it";
    other.reset();
    EXPECT_TRUE(defaults->flush());
    EXPECT_EQ(fileContents(suiteFile())["theme"], "violet");
}

// A setter never waits for the lock: another process may hold it for as long as it likes, the
// value shows at once and reaches the file once the lock is free.
TEST_F(UserDefaultsTests, ASetterDoesNotWaitForALockHeldElsewhere)
{
    const auto defaults = suite();
    ASSERT_TRUE(defaults->setString("theme", "sunset") && defaults->flush());
    const int held = ::open(lockFile().c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    EXPECT_TRUE(defaults->setString("theme", "violet") && defaults->setBool("flag", true));
    EXPECT_EQ(defaults->stringValue("theme"), "violet");
    ::close(held);
    EXPECT_TRUE(defaults->flush());
    EXPECT_EQ(fileContents(suiteFile()), (nlohmann::json{{"theme", "violet"}, {"flag", true}}));
}

// Another process holds the lock for five seconds, longer than a write waits for it: the change
// is never dropped nor shown taken back, not even the newer value chosen while the first write
// waited; a retry writes it once the lock is free, the failure is logged once and the success
// says after how many failed attempts.
TEST_F(UserDefaultsTests, AChangeOutlastsALockHeldElsewhereAndIsNeverTakenBack)
{
    const auto defaults = suite();
    ASSERT_TRUE(defaults->setString("theme", "sunset") && defaults->flush());
    std::atomic<int> failuresHeard = 0;
    std::atomic<bool> takenBack = false;
    std::atomic<bool> changedAgain = false;
    const auto checkShown = [&] {
        const auto shown = defaults->stringValue("theme");
        takenBack = takenBack || (shown != "emerald" && (changedAgain || shown != "violet"));
    };
    const int token = defaults->observeChanges([&](bool writeFailed) {
        failuresHeard += writeFailed;
        checkShown();
    });
    // The child's descriptor, inherited, is the only one left on the locked file: the lock is the
    // child's until it ends.
    const int held = ::open(lockFile().c_str(), O_RDWR);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    const pid_t holder = ::fork();
    if (holder == 0) {
        ::pause();
        ::_exit(0);
    }
    ::close(held);
    ASSERT_GT(holder, 0);
    EXPECT_TRUE(defaults->setString("theme", "violet"));
    const auto releaseAt = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    // Changed again while the write of "violet" waits for the lock it will not get.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_TRUE(defaults->setString("theme", "emerald"));
    changedAgain = true;
    while (std::chrono::steady_clock::now() < releaseAt) {
        checkShown();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ::kill(holder, SIGKILL);
    ASSERT_EQ(::waitpid(holder, nullptr, 0), holder);
    ASSERT_TRUE(QTest::qWaitFor([&] { return fileContents(suiteFile())["theme"] == "emerald"; }, 60000));
    BackgroundFileWriter::shared().drain();
    checkShown();
    EXPECT_EQ(fileContents(suiteFile())["theme"], "emerald") << "a retry wrote the older value";
    EXPECT_FALSE(defaults->flush()) << "the first write waited for the lock in vain";
    defaults->stopObserving(token);
    EXPECT_FALSE(takenBack);
    EXPECT_EQ(failuresHeard, 1);
    ASSERT_EQ(loggedErrors().size(), 1u);
    EXPECT_TRUE(loggedErrors()[0].contains(QStringLiteral("could not be locked")))
        << loggedErrors()[0].toStdString();
    const auto &saved = m_log->entries.back();
    EXPECT_EQ(saved.level, LogLevel::info);
    EXPECT_TRUE(saved.rendered.contains(QStringLiteral("were saved after"))) << saved.rendered.toStdString();
    std::cout << "failed attempts before the held lock was released: "
              << saved.arguments.value(1).toStdString() << std::endl;
}

// A folder that is read-only for 2.5 s: the changes made meanwhile wait (one log line for both),
// and land by themselves once it is writable again. The retries grow apart: the one after a
// second fails, the next comes two seconds later and succeeds.
TEST_F(UserDefaultsTests, ChangesMadeWhileTheFolderIsReadOnlyLandOnceItIsWritableAgain)
{
    const auto defaults = suite();
    ASSERT_TRUE(defaults->setString("theme", "sunset") && defaults->flush());
    {
        const ScopedReadOnlyFolder readOnly(suiteFolder());
        if (!readOnly.isEnforced())
            GTEST_SKIP() << "this file system cannot make a folder read-only for root";
        const auto writableAt = std::chrono::steady_clock::now() + std::chrono::milliseconds(2500);
        EXPECT_TRUE(defaults->setString("theme", "violet"));
        EXPECT_FALSE(defaults->flush());
        EXPECT_TRUE(defaults->setBool("flag", true));
        EXPECT_FALSE(defaults->flush());
        EXPECT_EQ(defaults->stringValue("theme"), "violet");
        EXPECT_EQ(fileContents(suiteFile()), (nlohmann::json{{"theme", "sunset"}}));
        std::this_thread::sleep_until(writableAt);
    }
    const auto landed = [&] {
        return fileContents(suiteFile()) == nlohmann::json{{"theme", "violet"}, {"flag", true}};
    };
    ASSERT_TRUE(QTest::qWaitFor(landed, 60000));
    defaults->flush();
    EXPECT_EQ(suiteFolderNames(), suiteAndLock);
    ASSERT_EQ(loggedErrors().size(), 1u);
    EXPECT_TRUE(loggedErrors()[0].contains(QStringLiteral("could not be saved")));
    EXPECT_EQ(m_log->entries.back().arguments.value(1), QStringLiteral("3"))
        << "failed attempts: the two writes and the retry after a second";
}

// Failures grow the retry delay; a success starts again from the shortest. A write that fails
// right after a success is retried about a second later, not when a long retry queued before the
// success comes (four seconds later here, up to five minutes in use).
TEST_F(UserDefaultsTests, AFailureAfterASuccessIsRetriedSoonWhateverRetryWasQueuedBefore)
{
    const auto defaults = suite();
    const auto block = [&] {
        std::filesystem::remove_all(suiteFolder());
        m_folder.writeFile("Pulsegrove", "not a folder");
    };
    block();
    ASSERT_TRUE(defaults->setString("theme", "violet"));
    ASSERT_FALSE(defaults->flush());
    // The retries after one and then two more seconds fail as well; the next one waits four.
    std::this_thread::sleep_for(std::chrono::milliseconds(3500));
    std::filesystem::remove(suiteFolder());
    ASSERT_TRUE(defaults->setBool("flag", true));
    defaults->flush(); // false: it reports the retries' failures
    ASSERT_EQ(fileContents(suiteFile()), (nlohmann::json{{"theme", "violet"}, {"flag", true}}));

    block();
    ASSERT_TRUE(defaults->setString("theme", "emerald"));
    ASSERT_FALSE(defaults->flush());
    const auto failedAt = std::chrono::steady_clock::now();
    std::filesystem::remove(suiteFolder());
    const auto landed = [&] {
        return std::filesystem::is_regular_file(suiteFile()) && fileContents(suiteFile())["theme"] == "emerald";
    };
    ASSERT_TRUE(QTest::qWaitFor(landed, 60000));
    const auto waited = std::chrono::duration<double>(std::chrono::steady_clock::now() - failedAt).count();
    std::cout << "a write that failed right after a success landed " << waited << " s later" << std::endl;
    EXPECT_LT(waited, 2.5) << "it waited for the retry queued before the success";
}

// As the process ends, the writer drains: a change that waits for its retry is tried once more at
// once, and when even that fails the log names the keys that could not be kept.
TEST_F(UserDefaultsTests, QuittingWhileAChangeWaitsGivesItOneMoreTry)
{
    const auto defaults = suite();
    const auto blockFolder = [&] {
        std::filesystem::remove_all(suiteFolder());
        m_folder.writeFile("Pulsegrove", "not a folder");
    };
    const auto unkeptLines = [&] {
        return std::count_if(m_log->entries.begin(), m_log->entries.end(), [](const auto &entry) {
            return entry.rendered.contains(QStringLiteral("could not keep"));
        });
    };
    blockFolder();
    ASSERT_TRUE(defaults->setString("theme", "violet"));
    ASSERT_FALSE(defaults->flush());
    std::filesystem::remove(suiteFolder());
    BackgroundFileWriter::shared().drain();
    EXPECT_EQ(fileContents(suiteFile()), (nlohmann::json{{"theme", "violet"}}));
    EXPECT_EQ(unkeptLines(), 0);

    blockFolder();
    ASSERT_TRUE(defaults->setString("theme", "emerald") && defaults->setBool("flag", true));
    ASSERT_FALSE(defaults->flush());
    BackgroundFileWriter::shared().drain();
    EXPECT_EQ(unkeptLines(), 1);
    EXPECT_TRUE(m_log->entries.back().rendered.contains(QStringLiteral("flag, theme")))
        << m_log->entries.back().rendered.toStdString();
    EXPECT_EQ(defaults->stringValue("theme"), "emerald");
}

// Temporary files of killed writers go with the next write of their suite; nothing else does.
TEST_F(UserDefaultsTests, TheNextWriteRemovesTemporaryFilesOfWritersThatAreGone)
{
    const auto defaults = suite();
    ASSERT_TRUE(defaults->setString("theme", "sunset") && defaults->flush());
    const pid_t gone = ::fork();
    if (gone == 0)
        ::_exit(0);
    ASSERT_EQ(::waitpid(gone, nullptr, 0), gone);
    const std::string dead = std::to_string(gone);
    const std::string prefix = "Pulsegrove/.io.velorn.Pulsegrove.test.json.";
    m_folder.writeFile(prefix + dead + "-3.tmp", "orphan");
    const std::vector<std::string> kept = {
        ".io.velorn.Pulsegrove.test.json." + std::to_string(::getpid()) + "-9.tmp", // a live writer's
        ".io.velorn.Pulsegrove.test.json." + dead + "-x.tmp",                       // not the pattern
        ".other.json." + dead + "-1.tmp",                                           // another suite's
    };
    for (const auto &name : kept)
        m_folder.writeFile("Pulsegrove/" + name, "kept");
    HostileFile::place(HostileFile::Kind::fifo,
                       suiteFolder() / ("." + suiteFile().filename().string() + "." + dead + "-4.tmp"));
    ASSERT_TRUE(defaults->setBool("flag", true) && defaults->flush());
    auto expected = kept;
    expected.push_back(".io.velorn.Pulsegrove.test.json." + dead + "-4.tmp");
    expected.insert(expected.end(), suiteAndLock.begin(), suiteAndLock.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(suiteFolderNames(), expected);
}
