#include "DesktopEntry.h"
#include "HostileFile.h"
#include "ScopedUmask.h"
#include "TemporaryDirectory.h"
#include "XdgAutostartLoginItem.h"

#include <QProcess>
#include <QTest>
#include <cstdlib>
#include <functional>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace pulsegrove {
namespace {

using namespace ::testing;
using pulsegrove::testing::HostileFile;

class XdgAutostartLoginItemTest : public Test {
protected:
    std::filesystem::path executable() const { return m_home.path() / "Apps/Pulse Grove.app/bin/pulsegrove"; }
    XdgAutostartLoginItem item(const std::optional<std::filesystem::path> &executable = std::nullopt) const
    {
        const Environment environment(
            {{"HOME", m_home.path().string()}, {"XDG_CONFIG_HOME", (m_home.path() / "cfg").string()}});
        return XdgAutostartLoginItem::forBundle(MainBundle(executable.value_or(this->executable())),
                                                environment);
    }
    std::filesystem::path entryFile() const
    {
        return m_home.path() / "cfg/autostart/io.velorn.Pulsegrove.desktop";
    }
    void writeEntry(const std::string &text) const
    {
        m_home.writeFile("cfg/autostart/io.velorn.Pulsegrove.desktop", text);
    }
    std::string readEntryFile() const
    {
        return pulsegrove::testing::TemporaryDirectory::readFile(entryFile());
    }
    // What desktop-file-validate says about the entry: nothing for a valid one.
    std::string validatorComplaints() const
    {
        QProcess validator;
        validator.setProcessChannelMode(QProcess::MergedChannels);
        validator.start(QStringLiteral("desktop-file-validate"),
                        {QString::fromStdString(entryFile().string())});
        if (!validator.waitForFinished(30000)) {
            validator.kill();
            validator.waitForFinished();
            return "desktop-file-validate did not finish";
        }
        const std::string output = validator.readAll().toStdString();
        return validator.exitCode() == 0 ? output
                                         : "exit " + std::to_string(validator.exitCode()) + ": " + output;
    }

    // Whether both launchers of Debian's desktops start the entry's program: `gio launch` runs
    // it (it leaves a mark), and systemd's autostart generator makes a unit of it.
    std::string launcherComplaints(const std::filesystem::path &program) const
    {
        const auto mark = m_home.path() / "started";
        std::filesystem::remove(mark);
        m_home.writeFile(std::filesystem::relative(program, m_home.path()),
                         "#!/bin/sh\n: > '" + mark.string() + "'\n");
        std::filesystem::permissions(program, std::filesystem::perms::owner_all);
        const auto units = m_home.path() / "units";
        std::filesystem::remove_all(units);
        std::filesystem::create_directories(units);
        QProcess generator;
        generator.setProcessEnvironment([&] {
            QProcessEnvironment environment;
            environment.insert(QStringLiteral("XDG_CONFIG_HOME"), QString::fromStdString((m_home.path() / "cfg").string()));
            environment.insert(QStringLiteral("XDG_CONFIG_DIRS"), QStringLiteral("/nonexistent"));
            return environment;
        }());
        const QString unitFolder = QString::fromStdString(units.string());
        generator.start(QString::fromLatin1(generatorPath), {unitFolder, unitFolder, unitFolder});
        std::string complaints;
        if (!generator.waitForFinished(30000) || !std::filesystem::exists(units / "app-io.velorn.Pulsegrove@autostart.service"))
            complaints += "no unit from the generator: " + generator.readAllStandardError().toStdString();
        QProcess::execute(QStringLiteral("gio"), {QStringLiteral("launch"), QString::fromStdString(entryFile().string())});
        if (!QTest::qWaitFor([&] { return std::filesystem::exists(mark); }, 5000))
            complaints += " gio launch did not start it";
        return complaints;
    }
    static constexpr const char *generatorPath = "/usr/lib/systemd/user-generators/systemd-xdg-autostart-generator";

    pulsegrove::testing::TemporaryDirectory m_home;
};

TEST_F(XdgAutostartLoginItemTest, RegisterWritesAnEntryThatStartsTheExecutable)
{
    const pulsegrove::testing::ScopedUmask openToAll;
    auto loginItem = item();
    EXPECT_EQ(loginItem.entryFile(), entryFile());
    EXPECT_EQ(loginItem.status(), LoginItemStatus::notRegistered);
    loginItem.registerService();
    EXPECT_EQ(loginItem.status(), LoginItemStatus::enabled);
    EXPECT_EQ(DesktopEntry::parse(readEntryFile()).value(DesktopEntry::mainGroup, "Type"), "Application");
    // Nobody else may change what the session starts.
    for (const auto &[path, mode] : {std::pair{m_home.path() / "cfg", 0700}, {entryFile().parent_path(), 0700},
                                     {entryFile(), 0600}})
        EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms(mode)) << path;

    loginItem.unregisterService();
    EXPECT_FALSE(std::filesystem::exists(entryFile()));
    EXPECT_EQ(loginItem.status(), LoginItemStatus::notRegistered);
    EXPECT_NO_THROW(loginItem.unregisterService());
}

// Whatever stands in the entry's place that is not an enabled entry of ours is not enabled, and
// registering replaces it; hostile files are read neither blocking nor without bound (the status
// is asked on the GUI thread at start), and a folder there is reported, not replaced.
TEST_F(XdgAutostartLoginItemTest, ForeignDisabledOrHostileEntriesAreNotEnabledAndRegisteringReplacesThem)
{
    const std::string ours = XdgAutostartLoginItem::entryText(executable());
    const auto linkTarget = m_home.writeFile("elsewhere.desktop", ours);
    std::vector<std::pair<std::string, std::function<void()>>> entries;
    for (const std::string &text :
         {ours + "Hidden=true\n", ours + "X-GNOME-Autostart-enabled=false\n",
          std::string("[Desktop Entry]\nExec=/elsewhere/pulsegrove\n"), std::string("garbage \"\n\\")})
        entries.emplace_back(text, [this, text] { writeEntry(text); });
    for (const auto kind : HostileFile::allKinds())
        entries.emplace_back(HostileFile::name(kind),
                             [&, kind] { HostileFile::place(kind, entryFile(), linkTarget); });
    for (const auto &[name, place] : entries) {
        SCOPED_TRACE(name);
        std::filesystem::remove_all(entryFile());
        std::filesystem::create_directories(entryFile().parent_path());
        place();
        EXPECT_EQ(item().status(), LoginItemStatus::notRegistered);
        if (std::filesystem::is_directory(std::filesystem::symlink_status(entryFile()))) {
            EXPECT_THROW(item().registerService(), std::exception);
            continue;
        }
        item().registerService();
        EXPECT_EQ(item().status(), LoginItemStatus::enabled);
        EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(entryFile())));
    }
}

// Every character a folder name may hold reaches the session manager intact, through the string
// escapes and the Exec quoting, in an entry the freedesktop validator accepts and both launchers
// start.
TEST_F(XdgAutostartLoginItemTest, ExecCarriesAnyRepresentablePathInAValidEntry)
{
    const std::vector<std::string> names = {
        "Pulse Grove", "quote\"double", "quote'single", "dollar$HOME", "back`tick`", "semi;colon&amp",
        "glob*?[x]",   "hash#(paren)",  "<angle>|~",    "tab\there",   "line\nfeed",
        "中文 目录",   "emoji-\U0001F600", "=equals=",
    };
    const bool validatorInstalled = std::system("command -v desktop-file-validate >/dev/null 2>&1") == 0;
    const bool launchersInstalled =
        std::system("command -v gio >/dev/null 2>&1") == 0 && std::filesystem::exists(generatorPath);
    for (const auto &name : names) {
        SCOPED_TRACE(name);
        const auto path = m_home.path() / (name + ".app") / "bin/pulsegrove";
        auto loginItem = item(path);
        ASSERT_NO_THROW(loginItem.registerService());
        EXPECT_EQ(loginItem.status(), LoginItemStatus::enabled);
        const auto entry = DesktopEntry::parse(readEntryFile());
        const auto exec = entry.value(DesktopEntry::mainGroup, "Exec");
        ASSERT_TRUE(exec);
        EXPECT_EQ(DesktopEntry::splitExec(*exec), std::vector<std::string>{path.string()});
        if (validatorInstalled) {
            EXPECT_EQ(validatorComplaints(), "");
        }
        if (launchersInstalled) {
            EXPECT_EQ(launcherComplaints(path), "");
        }
    }
    if (!validatorInstalled || !launchersInstalled)
        GTEST_SKIP() << "desktop-file-validate, gio or systemd's autostart generator (Debian desktop-file-utils, "
                        "libglib2.0-bin, systemd) is not installed";
}

// Outside an application bundle, at a path no entry can hold, or at one the launchers would not
// start ('%' and '\\'), the item cannot be managed: it is refused, not written and reported as
// enabled.
TEST_F(XdgAutostartLoginItemTest, OutsideABundleOrAtPathsNoEntryCanHoldTheItemIsNotFound)
{
    for (const std::string name :
         {"build", "latin1-\xe9t\xe9", "cut-\xe4\xb8", "overlong-\xc0\xaf", "surrogate-\xed\xa0\x80", "bell-\x07",
          "escape-\x1b[31m", "delete-\x7f", "percent%u%%", "back\\slash", "trailing\\",
          "return\rhere"}) {
        SCOPED_TRACE(name);
        const auto path = m_home.path() / (name == "build" ? name : name + ".app") / "bin/pulsegrove";
        auto loginItem = item(path);
        EXPECT_EQ(loginItem.status(), LoginItemStatus::notFound);
        EXPECT_THROW(loginItem.registerService(), std::exception);
        EXPECT_FALSE(std::filesystem::exists(entryFile()));
    }
}

TEST_F(XdgAutostartLoginItemTest, FailuresCarryTheSystemMessage)
{
    // A plain file where the autostart folder belongs.
    m_home.writeFile("cfg/autostart", "not a folder");
    EXPECT_THAT([&] { item().registerService(); },
                ThrowsMessage<std::exception>(AllOf(Not(IsEmpty()), Not(HasSubstr("filesystem")))));
    EXPECT_TRUE(std::filesystem::is_regular_file(m_home.path() / "cfg/autostart"));
}

} // namespace
} // namespace pulsegrove
