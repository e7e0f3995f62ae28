#include "DesktopEntry.h"
#include "TemporaryDirectory.h"
#include "XdgAutostartLoginItem.h"

#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sstream>

namespace pulsegrove {
namespace {

using namespace ::testing;

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
