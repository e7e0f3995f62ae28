#include "DesktopEntry.h"
#include "HostileFile.h"
#include "TemporaryDirectory.h"
#include "XdgAutostartLoginItem.h"

#include <QProcess>
#include <cstdlib>
#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sstream>

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
        std::ostringstream text;
        text << std::ifstream(entryFile(), std::ios::binary).rdbuf();
        return text.str();
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

    pulsegrove::testing::TemporaryDirectory m_home;
};

TEST_F(XdgAutostartLoginItemTest, OutsideAnApplicationBundleTheItemIsNotFound)
{
    const auto buildTree = m_home.path() / "build/pulsegrove";
    writeEntry(XdgAutostartLoginItem::entryText(buildTree));
    EXPECT_EQ(item(buildTree).status(), LoginItemStatus::notFound);
    EXPECT_THROW(item(buildTree).registerService(), std::exception);
}

TEST_F(XdgAutostartLoginItemTest, RegisterWritesAnEntryThatStartsTheExecutable)
{
    auto loginItem = item();
    EXPECT_EQ(loginItem.entryFile(), entryFile());
    EXPECT_EQ(loginItem.status(), LoginItemStatus::notRegistered);
    loginItem.registerService();
    EXPECT_EQ(loginItem.status(), LoginItemStatus::enabled);

    std::ostringstream text;
    text << std::ifstream(entryFile()).rdbuf();
    const auto entry = DesktopEntry::parse(text.str());
    EXPECT_EQ(entry.value(DesktopEntry::mainGroup, "Type"), "Application");
    // The space in the path is quoted for the session manager.
    EXPECT_EQ(entry.value(DesktopEntry::mainGroup, "Exec"), "\"" + executable().string() + "\"");

    loginItem.unregisterService();
    EXPECT_FALSE(std::filesystem::exists(entryFile()));
    EXPECT_EQ(loginItem.status(), LoginItemStatus::notRegistered);
    EXPECT_NO_THROW(loginItem.unregisterService());
}

TEST_F(XdgAutostartLoginItemTest, DisabledForeignOrBrokenEntriesAreNotEnabledAndRegisteringReplacesThem)
{
    const std::string ours = XdgAutostartLoginItem::entryText(executable());
    for (const std::string &text :
         {ours + "Hidden=true\n", ours + "X-GNOME-Autostart-enabled=false\n",
          std::string("[Desktop Entry]\nExec=/elsewhere/pulsegrove\n"), std::string("garbage \"\n\\")}) {
        writeEntry(text);
        EXPECT_EQ(item().status(), LoginItemStatus::notRegistered) << text;
        item().registerService();
        EXPECT_EQ(item().status(), LoginItemStatus::enabled) << text;
    }
}

// Whatever else stands in the entry's place is read neither blocking nor without bound (the
// status is asked on the GUI thread at start) and is not ours; registering replaces all of it but
// a folder, which it reports.
TEST_F(XdgAutostartLoginItemTest, HostileEntriesAreNotEnabledAndDoNotBlock)
{
    const auto linkTarget =
        m_home.writeFile("elsewhere.desktop", XdgAutostartLoginItem::entryText(executable()));
    for (const auto kind : HostileFile::allKinds()) {
        SCOPED_TRACE(HostileFile::name(kind));
        std::filesystem::remove_all(entryFile());
        std::filesystem::create_directories(entryFile().parent_path());
        HostileFile::place(kind, entryFile(), linkTarget);
        EXPECT_EQ(item().status(), LoginItemStatus::notRegistered);
        if (kind == HostileFile::Kind::folder) {
            EXPECT_THROW(item().registerService(), std::exception);
            continue;
        }
        item().registerService();
        EXPECT_EQ(item().status(), LoginItemStatus::enabled);
        EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(entryFile())));
    }
}

// Every character a folder name may hold reaches the session manager intact, through the string
// escapes and the Exec quoting, in an entry the freedesktop validator accepts.
TEST_F(XdgAutostartLoginItemTest, ExecCarriesAnyRepresentablePathInAValidEntry)
{
    const std::vector<std::string> names = {
        "Pulse Grove", "quote\"double",  "quote'single", "back\\slash",      "dollar$HOME", "back`tick`",
        "percent%u%%", "semi;colon&amp", "glob*?[x]",    "hash#(paren)",     "<angle>|~",   "tab\there",
        "line\nfeed",  "return\rhere",   "中文 目录",    "emoji-\U0001F600", "=equals=",    "trailing\\",
    };
    const bool validatorInstalled = std::system("command -v desktop-file-validate >/dev/null 2>&1") == 0;
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
    }
    if (!validatorInstalled)
        GTEST_SKIP() << "desktop-file-validate (Debian desktop-file-utils) is not installed";
}

// A path no entry can hold is refused, not written and reported as enabled: the item cannot be
// managed from there.
TEST_F(XdgAutostartLoginItemTest, PathsNoEntryCanHoldCannotBeManaged)
{
    for (const std::string name : {"latin1-\xe9t\xe9", "cut-\xe4\xb8", "overlong-\xc0\xaf",
                                   "surrogate-\xed\xa0\x80", "bell-\x07", "escape-\x1b[31m", "delete-\x7f"}) {
        SCOPED_TRACE(name);
        const auto path = m_home.path() / (name + ".app") / "bin/pulsegrove";
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
