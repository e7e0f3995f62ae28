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

TEST(DesktopEntry, ExecArgumentsAreQuotedOnlyWhenNeededAndRoundTrip)
{
    EXPECT_EQ(DesktopEntry::quoteExecArgument("/opt/Pulsegrove.app/bin/pulsegrove"),
              "/opt/Pulsegrove.app/bin/pulsegrove");
    // Inside quotes a backslash is escaped twice: once for Exec, once for the string value.
    EXPECT_EQ(DesktopEntry::escapeValue(DesktopEntry::quoteExecArgument("a\\b")), "\"a\\\\\\\\b\"");
    for (const std::string path : {"/home/a b/Pulsegrove.app/bin/pulsegrove", "/tmp/100%/x",
                                   "/tmp/we\"ird`$\\path", "/tmp/semi;colon", "/tmp/new\nline", ""}) {
        // Written as the file holds it, then read back the way a session manager does.
        const auto written = DesktopEntry::escapeValue(DesktopEntry::quoteExecArgument(path));
        const auto entry = DesktopEntry::parse("[Desktop Entry]\nExec=" + written + "\n");
        EXPECT_EQ(DesktopEntry::splitExec(*entry.value(group, "Exec")), std::vector<std::string>{path})
            << written;
    }
}

TEST(DesktopEntry, SplitsExecArgumentsAndRejectsOpenQuotes)
{
    EXPECT_EQ(DesktopEntry::splitExec("  app  --flag \"two words\" %%u "),
              (std::vector<std::string>{"app", "--flag", "two words", "%u"}));
    EXPECT_EQ(DesktopEntry::splitExec("\"unterminated"), std::nullopt);
    EXPECT_EQ(DesktopEntry::splitExec(""), std::vector<std::string>{});
}

} // namespace
} // namespace pulsegrove
