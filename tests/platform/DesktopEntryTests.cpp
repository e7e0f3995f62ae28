#include "DesktopEntry.h"

#include <gtest/gtest.h>

namespace pulsegrove {
namespace {

const std::string group = DesktopEntry::mainGroup;

TEST(DesktopEntry, ReadsKeysOfTheirOwnGroupWithStringEscapesAndStrictBooleans)
{
    const auto entry = DesktopEntry::parse("Orphan=1\n"
                                           "# a comment\n"
                                           "[Desktop Entry]\r\n"
                                           "  Name = Pulse Grove  \n"
                                           "Name[de]=Puls\n"
                                           "Comment=first\n"
                                           "Comment=\\sa\\tb\\nc\\\\d\\;e\n"
                                           "not a pair\n"
                                           "Hidden=true\nA=0\nB=TRUE\n"
                                           "[Desktop Action quit]\n"
                                           "Exec=other\n");
    EXPECT_EQ(entry.value(group, "Name"), "Pulse Grove");
    EXPECT_EQ(entry.value(group, "Name[de]"), "Puls");
    EXPECT_EQ(entry.value(group, "Comment"), " a\tb\nc\\d\\;e");
    EXPECT_EQ(entry.value(group, "Exec"), std::nullopt);
    EXPECT_EQ(entry.value(group, "Orphan"), std::nullopt);
    EXPECT_EQ(entry.value("Desktop Action quit", "Exec"), "other");
    EXPECT_EQ(entry.boolValue(group, "Hidden"), true);
    EXPECT_EQ(entry.boolValue(group, "A"), false);
    EXPECT_EQ(entry.boolValue(group, "B"), std::nullopt);
}

// Round trips of quoted paths through a written entry are covered by the autostart item's tests.
TEST(DesktopEntry, ExecArgumentsAreQuotedOnlyWhenNeededAndSplitWithoutOpenQuotes)
{
    EXPECT_EQ(DesktopEntry::quoteExecArgument("/opt/Pulsegrove.app/bin/pulsegrove"),
              "/opt/Pulsegrove.app/bin/pulsegrove");
    EXPECT_EQ(DesktopEntry::splitExec("  app  --flag \"two words\" %%u "),
              (std::vector<std::string>{"app", "--flag", "two words", "%u"}));
    EXPECT_EQ(DesktopEntry::splitExec("\"unterminated"), std::nullopt);
    EXPECT_EQ(DesktopEntry::splitExec(""), std::vector<std::string>{});
}

} // namespace
} // namespace pulsegrove
