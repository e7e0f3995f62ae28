#include "DesktopEntry.h"
#include "TemporaryDirectory.h"
#include "XdgAutostartLoginItem.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace pulsegrove {
namespace {

using testing::TemporaryDirectory;

class XdgAutostartLoginItemTest : public ::testing::Test {
protected:
    std::filesystem::path executable() const { return m_home.path() / "Apps/Pulse Grove.app/bin/pulsegrove"; }
    Environment environment() const
    {
        return Environment(
            {{"HOME", m_home.path().string()}, {"XDG_CONFIG_HOME", (m_home.path() / "cfg").string()}});
    }
    XdgAutostartLoginItem item() const
    {
        return XdgAutostartLoginItem::forBundle(MainBundle(executable()), environment());
    }
    std::filesystem::path entryFile() const
    {
        return m_home.path() / "cfg/autostart/io.velorn.Pulsegrove.desktop";
    }
    void writeEntry(const std::string &extraLines) const
    {
        m_home.writeFile(entryFile().lexically_relative(m_home.path()),
                         XdgAutostartLoginItem::entryText(executable()) + extraLines);
    }
    std::string readEntry() const
    {
        std::ifstream stream(entryFile());
        std::ostringstream text;
        text << stream.rdbuf();
        return text.str();
    }

    TemporaryDirectory m_home;
};

TEST_F(XdgAutostartLoginItemTest, EntryLivesInTheConfiguredAutostartFolder)
{
    EXPECT_EQ(item().entryFile(), entryFile());
    const auto fallback = XdgAutostartLoginItem::forBundle(MainBundle(executable()),
                                                           Environment({{"HOME", m_home.path().string()}}));
    EXPECT_EQ(fallback.entryFile(), m_home.path() / ".config/autostart/io.velorn.Pulsegrove.desktop");
}

TEST_F(XdgAutostartLoginItemTest, OutsideAnApplicationBundleTheItemIsNotFound)
{
    const auto buildTree =
        XdgAutostartLoginItem::forBundle(MainBundle(m_home.path() / "build/pulsegrove"), environment());
    writeEntry("");
    EXPECT_EQ(buildTree.status(), LoginItemStatus::notFound);
    EXPECT_THROW(
        XdgAutostartLoginItem::forBundle(MainBundle(m_home.path() / "build/pulsegrove"), environment())
            .registerService(),
        std::exception);
}

TEST_F(XdgAutostartLoginItemTest, RegisterWritesAnEntryThatStartsTheExecutable)
{
    auto loginItem = item();
    EXPECT_EQ(loginItem.status(), LoginItemStatus::notRegistered);
    loginItem.registerService();
    EXPECT_EQ(loginItem.status(), LoginItemStatus::enabled);

    const auto entry = DesktopEntry::parse(readEntry());
    EXPECT_EQ(entry.value(DesktopEntry::mainGroup, "Type"), "Application");
    const auto arguments = DesktopEntry::splitExec(*entry.value(DesktopEntry::mainGroup, "Exec"));
    ASSERT_TRUE(arguments);
    EXPECT_EQ(*arguments, std::vector<std::string>{executable().string()});
    // The space in the path must be quoted for the session manager.
    EXPECT_NE(readEntry().find("Exec=\"" + executable().string() + "\""), std::string::npos);

    loginItem.unregisterService();
    EXPECT_FALSE(std::filesystem::exists(entryFile()));
    EXPECT_EQ(loginItem.status(), LoginItemStatus::notRegistered);
    EXPECT_NO_THROW(loginItem.unregisterService());
}

TEST_F(XdgAutostartLoginItemTest, DisabledOrForeignEntriesAreNotEnabled)
{
    writeEntry("Hidden=true\n");
    EXPECT_EQ(item().status(), LoginItemStatus::notRegistered);
    writeEntry("X-GNOME-Autostart-enabled=false\n");
    EXPECT_EQ(item().status(), LoginItemStatus::notRegistered);
    m_home.writeFile(entryFile().lexically_relative(m_home.path()),
                     "[Desktop Entry]\nExec=/elsewhere/pulsegrove\n");
    EXPECT_EQ(item().status(), LoginItemStatus::notRegistered);
    m_home.writeFile(entryFile().lexically_relative(m_home.path()), "garbage \"\n\\");
    EXPECT_EQ(item().status(), LoginItemStatus::notRegistered);
}

TEST_F(XdgAutostartLoginItemTest, RegisteringOverADisabledEntryEnablesIt)
{
    writeEntry("Hidden=true\n");
    item().registerService();
    EXPECT_EQ(item().status(), LoginItemStatus::enabled);
}

TEST_F(XdgAutostartLoginItemTest, FailuresCarryTheSystemMessage)
{
    // A plain file where the autostart folder belongs.
    m_home.writeFile("cfg/autostart", "not a folder");
    try {
        item().registerService();
        FAIL() << "registration into a blocked folder succeeded";
    } catch (const std::exception &error) {
        EXPECT_STRNE(error.what(), "");
        EXPECT_EQ(std::string(error.what()).find("filesystem"), std::string::npos) << error.what();
    }
    EXPECT_TRUE(std::filesystem::is_regular_file(m_home.path() / "cfg/autostart"));
}

} // namespace
} // namespace pulsegrove
