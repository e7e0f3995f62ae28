#include "DesktopEntry.h"
#include "TemporaryDirectory.h"
#include "XdgAutostartLoginItem.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace pulsegrove {
namespace {

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
    void writeEntry(const std::string &text) const
    {
        m_home.writeFile(entryFile().lexically_relative(m_home.path()), text);
    }

    testing::TemporaryDirectory m_home;
};

TEST_F(XdgAutostartLoginItemTest, OutsideAnApplicationBundleTheItemIsNotFound)
{
    auto buildTree = XdgAutostartLoginItem::forBundle(MainBundle(m_home.path() / "build/pulsegrove"), environment());
    writeEntry(XdgAutostartLoginItem::entryText(m_home.path() / "build/pulsegrove"));
    EXPECT_EQ(buildTree.status(), LoginItemStatus::notFound);
    EXPECT_THROW(buildTree.registerService(), std::exception);
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
    for (const std::string &text : {ours + "Hidden=true\n", ours + "X-GNOME-Autostart-enabled=false\n",
                                    std::string("[Desktop Entry]\nExec=/elsewhere/pulsegrove\n"),
                                    std::string("garbage \"\n\\")}) {
        writeEntry(text);
        EXPECT_EQ(item().status(), LoginItemStatus::notRegistered) << text;
        item().registerService();
        EXPECT_EQ(item().status(), LoginItemStatus::enabled) << text;
    }
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
