#include "RecordingSystemLog.h"
#include "TemporaryDirectory.h"
#include "ViewRendering.h"
#include "update/RollbackAlert.h"
#include "update/RollbackNotice.h"
#include "update/UpdateHelperRequest.h"
#include "update/UpdateInstaller.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pulsegrove::testing {
namespace {

namespace fs = std::filesystem;

std::string contentOf(const fs::path &path)
{
    std::ifstream stream(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(stream), {}};
}

// An update folder under a temporary caches folder, with an executable that is, or is not, a
// helper copy inside it.
class UpdateInstallerTest : public ::testing::Test {
protected:
    UpdateInstaller::Context context(const fs::path &executable = "/usr/bin/pulsegrove")
    {
        return {m_folder, executable, RunningVersion{QStringLiteral("1.6.0"), QStringLiteral("42")}, m_log,
                [this](const QString &version) { m_alerts.push_back(version); }};
    }
    // Every file below the temporary folder, so a test sees that nothing else was written.
    std::vector<fs::path> allEntries() const
    {
        std::vector<fs::path> entries;
        for (const auto &entry : fs::recursive_directory_iterator(m_temporary.path()))
            entries.push_back(fs::relative(entry.path(), m_temporary.path()));
        std::sort(entries.begin(), entries.end());
        return entries;
    }
    static QStringList helperArguments(const QString &processID)
    {
        return {QStringLiteral("pulsegrove"), QStringLiteral("--pulsegrove-update-helper"),
                QStringLiteral("/tmp/plan.json"), processID};
    }
    static QStringList markerArguments(const QString &path)
    {
        return {QStringLiteral("pulsegrove"), QStringLiteral("--pulsegrove-update-health-marker"), path};
    }

    TemporaryDirectory m_temporary;
    fs::path m_root = m_temporary.path() / "cache/Pulsegrove/VerifiedUpdates";
    UpdateFolder m_folder{m_root};
    std::shared_ptr<RecordingSystemLog> m_log = std::make_shared<RecordingSystemLog>();
    std::vector<QString> m_alerts;
};

TEST_F(UpdateInstallerTest, TheUpdateFolderIsInTheCachesFolderOfTheEnvironment)
{
    const auto folder =
        UpdateFolder::forEnvironment(Environment(std::map<std::string, std::string>{{"HOME", "/home/ada"}}));
    ASSERT_TRUE(folder);
    EXPECT_EQ(folder->root(), fs::path("/home/ada/.cache/Pulsegrove/VerifiedUpdates"));
    const auto xdg = UpdateFolder::forEnvironment(
        Environment(std::map<std::string, std::string>{{"HOME", "/home/ada"}, {"XDG_CACHE_HOME", "/c"}}));
    EXPECT_EQ(xdg->healthArea(), fs::path("/c/Pulsegrove/VerifiedUpdates/health"));
    EXPECT_EQ(xdg->rollbackNotice(), fs::path("/c/Pulsegrove/VerifiedUpdates/.rollback-notice"));
}

// Only exactly four arguments of the right form make a helper request.
TEST_F(UpdateInstallerTest, HelperArgumentsAreCheckedToTheLetter)
{
    const QString option = QStringLiteral("--pulsegrove-update-helper");
    const QString plan = QStringLiteral("/cache/plan.json");
    const QString program = QStringLiteral("pulsegrove");
    struct Row {
        QStringList arguments;
        std::optional<std::int32_t> processID;
    };
    const Row rows[] = {
        {{program, option, plan, QStringLiteral("4242")}, 4242},
        {{program, option, plan, QStringLiteral("2147483647")}, 2147483647},
        {{program, option, plan}, std::nullopt},
        {{program, option, plan, QStringLiteral("4242"), QStringLiteral("extra")}, std::nullopt},
        {{program, QStringLiteral("--other"), plan, QStringLiteral("4242")}, std::nullopt},
        {{program, option, plan, QStringLiteral("-4242")}, std::nullopt},
        {{program, option, plan, QStringLiteral("+4242")}, std::nullopt},
        {{program, option, plan, QStringLiteral("04242")}, std::nullopt},
        {{program, option, plan, QStringLiteral("0")}, std::nullopt},
        {{program, option, plan, QStringLiteral("2147483648")}, std::nullopt},
        {{program, option, plan, QStringLiteral("99999999999")}, std::nullopt},
        {{program, option, plan, QStringLiteral("0x1f")}, std::nullopt},
        {{program, option, plan, QStringLiteral("12a")}, std::nullopt},
        {{program, option, plan, QStringLiteral(" 12")}, std::nullopt},
        {{program, option, plan, QString::fromUtf8("١٢")}, std::nullopt},
        {{program, option, plan, QString()}, std::nullopt},
        {{program, option, QStringLiteral("plan.json"), QStringLiteral("4242")}, std::nullopt},
        {{program, option, QStringLiteral("/cache/../plan.json"), QStringLiteral("4242")}, std::nullopt},
        {{program, option, QStringLiteral("/cache/"), QStringLiteral("4242")}, std::nullopt},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.arguments.join(QLatin1Char(' ')).toStdString());
        const auto request = UpdateHelperRequest::parse(row.arguments);
        EXPECT_EQ(request ? std::optional(request->parentProcessID) : std::nullopt, row.processID);
    }
}

// A helper copy inside the update folder cannot install in this build: it says why, deletes
// itself and fails. Any other executable, or any other command line, touches nothing.
TEST_F(UpdateInstallerTest, AHelperRunDeletesTheHelperCopyAndFailsOthersTouchNothing)
{
    const fs::path outside = m_temporary.writeFile("bin/pulsegrove", "elf");
    const fs::path helper =
        m_temporary.writeFile("cache/Pulsegrove/VerifiedUpdates/helper/pulsegrove", "elf");
    const fs::path bundled =
        m_temporary.writeFile("cache/Pulsegrove/VerifiedUpdates/staged/Pulsegrove.app/bin/pulsegrove", "elf");
    const fs::path staged = m_temporary.writeFile("cache/Pulsegrove/VerifiedUpdates/staged/artefact", "data");
    const auto before = allEntries();

    EXPECT_EQ(
        UpdateInstaller::helperExitCodeIfRequested(helperArguments(QStringLiteral("4242")), context(outside)),
        std::nullopt);
    EXPECT_EQ(
        UpdateInstaller::helperExitCodeIfRequested(helperArguments(QStringLiteral("007")), context(helper)),
        std::nullopt);
    auto withoutFolder = context(helper);
    withoutFolder.folder.reset();
    EXPECT_EQ(
        UpdateInstaller::helperExitCodeIfRequested(helperArguments(QStringLiteral("4242")), withoutFolder),
        std::nullopt);
    EXPECT_EQ(allEntries(), before);
    EXPECT_TRUE(m_log->entries.empty());

    EXPECT_EQ(
        UpdateInstaller::helperExitCodeIfRequested(helperArguments(QStringLiteral("4242")), context(helper)),
        1);
    EXPECT_FALSE(fs::exists(helper));
    ASSERT_EQ(m_log->entries.size(), 1u);
    EXPECT_EQ(m_log->entries[0].level, LogLevel::error);
    EXPECT_EQ(m_log->entries[0].category, QStringLiteral("update"));
    EXPECT_TRUE(m_log->entries[0].rendered.contains(QStringLiteral("cannot read install plans")));
    EXPECT_FALSE(m_log->entries[0].rendered.contains(QStringLiteral("plan.json"))) << "paths stay private";

    // A helper copy that is a whole application folder goes as a whole, and only it.
    EXPECT_EQ(
        UpdateInstaller::helperExitCodeIfRequested(helperArguments(QStringLiteral("4242")), context(bundled)),
        1);
    EXPECT_FALSE(fs::exists(bundled.parent_path().parent_path()));
    EXPECT_TRUE(fs::exists(staged));
    EXPECT_TRUE(fs::exists(outside));
}

// The marker holds the version, owner-only, in folders made for it; the file it replaces loses
// its wider permissions.
TEST_F(UpdateInstallerTest, TheHealthMarkerIsWrittenOwnerOnlyInsideTheHealthArea)
{
    const fs::path marker = m_folder.healthArea() / "1.6.0/42/healthy";
    const QStringList arguments = markerArguments(QString::fromStdString(marker.string()));
    EXPECT_TRUE(UpdateInstaller::markHealthyIfRequested(arguments, context()));
    EXPECT_EQ(contentOf(marker), "1.6.0\n42\n");
    EXPECT_EQ(fs::status(marker).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(fs::status(marker.parent_path()).permissions() & fs::perms::all, fs::perms::owner_all);

    fs::permissions(marker, fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
    auto later = context();
    later.version.buildNumber = QStringLiteral("43");
    EXPECT_TRUE(UpdateInstaller::markHealthyIfRequested(arguments, later));
    EXPECT_EQ(contentOf(marker), "1.6.0\n43\n");
    EXPECT_EQ(fs::status(marker).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
}

// Any path but a plain one inside the health area, or one that would pass through a link,
// writes nothing anywhere.
TEST_F(UpdateInstallerTest, AHealthMarkerOutsideTheHealthAreaOrThroughALinkWritesNothing)
{
    const fs::path outside = m_temporary.path() / "elsewhere";
    fs::create_directories(outside);
    fs::create_directories(m_folder.healthArea());
    fs::create_directory_symlink(outside, m_folder.healthArea() / "linked");
    const fs::path victim = m_temporary.writeFile("elsewhere/victim", "keep");
    fs::create_symlink(victim, m_folder.healthArea() / "marker-link");
    fs::create_directories(m_folder.healthArea() / "a-folder");
    const auto before = allEntries();

    const QString health = QString::fromStdString(m_folder.healthArea().string());
    const QString root = QString::fromStdString(m_root.string());
    const QStringList badPaths{
        QStringLiteral("relative/healthy"),
        health,
        health + QStringLiteral("/"),
        health + QStringLiteral("/../escaped"),
        health + QStringLiteral("/x/../../escaped"),
        health + QStringLiteral("/x/../healthy"),
        health + QStringLiteral("/./healthy"),
        health + QStringLiteral("-sibling/healthy"),
        root + QStringLiteral("/healthy"),
        QString::fromStdString((outside / "healthy").string()),
        health + QStringLiteral("/linked/healthy"),
        health + QStringLiteral("/marker-link"),
        health + QStringLiteral("/a-folder"),
    };
    for (const QString &path : badPaths) {
        SCOPED_TRACE(path.toStdString());
        EXPECT_FALSE(UpdateInstaller::markHealthyIfRequested(markerArguments(path), context()));
    }
    // Without its path, or without the option, nothing happens either.
    EXPECT_FALSE(UpdateInstaller::markHealthyIfRequested(markerArguments(health).mid(0, 2), context()));
    EXPECT_FALSE(UpdateInstaller::markHealthyIfRequested(
        {QStringLiteral("pulsegrove"), QStringLiteral("--preview"), health + QStringLiteral("/healthy")},
        context()));
    EXPECT_EQ(allEntries(), before);
    EXPECT_EQ(contentOf(victim), "keep");
}

// The update folder itself replaced by a link leads out of it: nothing is written there, and a
// helper run, found through the link or at the place it leads to, deletes nothing there.
TEST_F(UpdateInstallerTest, AnUpdateFolderThatIsALinkIsNotWrittenThrough)
{
    const fs::path outside = m_temporary.path() / "elsewhere";
    const fs::path installed = m_temporary.writeFile("elsewhere/Pulsegrove.app/bin/pulsegrove", "elf");
    fs::create_directories(m_root.parent_path());
    fs::create_directory_symlink(outside, m_root);
    EXPECT_FALSE(UpdateInstaller::markHealthyIfRequested(
        markerArguments(QString::fromStdString((m_folder.healthArea() / "healthy").string())), context()));
    for (const auto &executable : {installed, m_root / "Pulsegrove.app/bin/pulsegrove"})
        EXPECT_EQ(UpdateInstaller::helperExitCodeIfRequested(helperArguments(QStringLiteral("4242")),
                                                             context(executable)),
                  1);
    EXPECT_TRUE(fs::exists(installed));
    EXPECT_EQ(allEntries().size(), 7u) << "only the link, the caches folders and the installed copy";
}

TEST(RollbackNoticeTests, OnlyAnObjectWithOneValidVersionIsANotice)
{
    struct Row {
        std::string bytes;
        std::optional<QString> version;
    };
    const Row rows[] = {
        {R"({"version":"1.6.0"})", QStringLiteral("1.6.0")},
        {" {\"version\" : \"2.0.0-beta.1+7\"}\n", QStringLiteral("2.0.0-beta.1+7")},
        {R"({"version":"1.6.0","build":"7"})", std::nullopt},
        {R"({"Version":"1.6.0"})", std::nullopt},
        {R"({"version":160})", std::nullopt},
        {R"({"version":""})", std::nullopt},
        {R"({"version":".1"})", std::nullopt},
        {R"({"version":"1.6 beta"})", std::nullopt},
        {R"({"version":"<b>1</b>"})", std::nullopt},
        {"{\"version\":\"" + std::string(65, '1') + "\"}", std::nullopt},
        {R"(["1.6.0"])", std::nullopt},
        {"1.6.0", std::nullopt},
        {"", std::nullopt},
        {std::string("{\"version\":\"1.6.0\"}\0garbage", 27), std::nullopt},
        {"{\"version\":\"1.6.0\"}" + std::string(RollbackNotice::maximumSize, ' '), std::nullopt},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.bytes.substr(0, 40));
        const auto notice = RollbackNotice::parse(row.bytes);
        EXPECT_EQ(notice ? std::optional(notice->version) : std::nullopt, row.version);
    }
}

// A valid notice is deleted and then shown once, later; whatever else lies at its name is
// removed (a link, not its target) without an alert and without waiting.
TEST_F(UpdateInstallerTest, TheRollbackNoticeIsDeletedAndOnlyAValidOneIsShown)
{
    const fs::path notice = m_folder.rollbackNotice();
    const fs::path victim = m_temporary.writeFile("elsewhere/victim", R"({"version":"6.6.6"})");
    struct Row {
        const char *name;
        std::function<void()> place;
        std::optional<QString> shown;
        bool removed;
    };
    const Row rows[] = {
        {"valid",
         [&] { m_temporary.writeFile(fs::relative(notice, m_temporary.path()), R"({"version":"1.7.0"})"); },
         QStringLiteral("1.7.0"), true},
        {"binary",
         [&] {
             m_temporary.writeFile(fs::relative(notice, m_temporary.path()), std::string("\x7f\0\xff", 3));
         },
         std::nullopt, true},
        {"huge",
         [&] {
             m_temporary.writeFile(fs::relative(notice, m_temporary.path()),
                                   R"({"version":"1.7.0"})" + std::string(4 << 20, ' '));
         },
         std::nullopt, true},
        {"link", [&] { fs::create_symlink(victim, notice); }, std::nullopt, true},
        {"fifo", [&] { ASSERT_EQ(::mkfifo(notice.c_str(), 0600), 0); }, std::nullopt, true},
        {"empty folder", [&] { fs::create_directories(notice); }, std::nullopt, true},
        {"folder with content",
         [&] { m_temporary.writeFile(fs::relative(notice / "x", m_temporary.path()), "x"); }, std::nullopt,
         false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        fs::remove_all(notice);
        fs::create_directories(m_root);
        row.place();
        m_alerts.clear();
        EXPECT_EQ(UpdateInstaller::presentRollbackNoticeIfNeeded(context()), row.shown);
        EXPECT_TRUE(m_alerts.empty()) << "the alert comes on a later turn";
        QCoreApplication::processEvents();
        EXPECT_EQ(m_alerts, row.shown ? std::vector<QString>{*row.shown} : std::vector<QString>{});
        EXPECT_EQ(!fs::exists(fs::symlink_status(notice)), row.removed);
    }
    EXPECT_EQ(contentOf(victim), R"({"version":"6.6.6"})");
    fs::remove_all(notice);
    EXPECT_EQ(UpdateInstaller::presentRollbackNoticeIfNeeded(context()), std::nullopt);
    QCoreApplication::processEvents();
    EXPECT_TRUE(m_alerts.empty());
}

TEST(RollbackAlertTests, TheAlertHasItsTitleTheVersionAndOneButton)
{
    std::unique_ptr<QMessageBox> alert(RollbackAlert::make(QStringLiteral("1.7.0")));
    EXPECT_TRUE(alert->informativeText().contains(QStringLiteral("1.7.0")));
    ASSERT_EQ(alert->buttons().size(), 1);
    alert->adjustSize();
    const QImage image = snapshot(alert->grab().toImage(), QStringLiteral("rollback-alert"));
    EXPECT_GE(image.width(), alert->buttons().front()->width());
}

} // namespace
} // namespace pulsegrove::testing
