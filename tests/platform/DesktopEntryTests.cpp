#include "DesktopEntry.h"

#include <gtest/gtest.h>

namespace pulsegrove {
namespace {

const std::string group = DesktopEntry::mainGroup;

TEST(DesktopEntryParsing, ReadsKeysOfTheirOwnGroupOnly)
{
    const auto entry = DesktopEntry::parse("Orphan=1\n"
                                           "# a comment\n"
                                           "[Desktop Entry]\r\n"
                                           "  Name = Pulse Grove  \n"
                                           "Name[de]=Puls\n"
                                           "Comment=first\n"
                                           "Comment=second\n"
                                           "not a pair\n"
                                           "[Desktop Action quit]\n"
                                           "Exec=other\n");
    EXPECT_EQ(entry.value(group, "Name"), "Pulse Grove");
    EXPECT_EQ(entry.value(group, "Name[de]"), "Puls");
    EXPECT_EQ(entry.value(group, "Comment"), "second");
    EXPECT_EQ(entry.value(group, "Exec"), std::nullopt);
    EXPECT_EQ(entry.value(group, "Orphan"), std::nullopt);
    EXPECT_EQ(entry.value("Desktop Action quit", "Exec"), "other");
}

TEST(DesktopEntryParsing, ResolvesStringEscapesButKeepsOthers)
{
    const auto entry = DesktopEntry::parse("[Desktop Entry]\nComment=\\sa\\tb\\nc\\\\d\\;e\n");
    EXPECT_EQ(entry.value(group, "Comment"), " a\tb\nc\\d\\;e");
}

TEST(DesktopEntryParsing, ReadsBooleansStrictly)
{
    const auto entry = DesktopEntry::parse("[Desktop Entry]\nHidden=true\nA=0\nB=TRUE\n");
    EXPECT_EQ(entry.boolValue(group, "Hidden"), true);
    EXPECT_EQ(entry.boolValue(group, "A"), false);
    EXPECT_EQ(entry.boolValue(group, "B"), std::nullopt);
    EXPECT_EQ(entry.boolValue(group, "Missing"), std::nullopt);
}

TEST(DesktopEntryExec, PlainPathsStayUnquoted)
{
    EXPECT_EQ(DesktopEntry::quoteExecArgument("/opt/Pulsegrove.app/bin/pulsegrove"),
              "/opt/Pulsegrove.app/bin/pulsegrove");
}

TEST(DesktopEntryExec, ReservedCharactersAreQuotedAndRoundTrip)
{
    const std::vector<std::string> paths = {"/home/a b/Pulsegrove.app/bin/pulsegrove",
                                            "/tmp/100%/x",
                                            "/tmp/we\"ird`$\\path",
                                            "/tmp/semi;colon",
                                            "/tmp/new\nline",
                                            ""};
    for (const auto &path : paths) {
        // Written as the file holds it, then read back the way a session manager does.
        const auto written = DesktopEntry::escapeValue(DesktopEntry::quoteExecArgument(path));
        const auto entry = DesktopEntry::parse("[Desktop Entry]\nExec=" + written + "\n");
        const auto arguments = DesktopEntry::splitExec(*entry.value(group, "Exec"));
        ASSERT_TRUE(arguments) << written;
        ASSERT_EQ(arguments->size(), 1u) << written;
        EXPECT_EQ(arguments->front(), path) << written;
    }
}

TEST(DesktopEntryExec, QuotedBackslashNeedsFourInTheFile)
{
    EXPECT_EQ(DesktopEntry::escapeValue(DesktopEntry::quoteExecArgument("a\\b")), "\"a\\\\\\\\b\"");
}

TEST(DesktopEntryExec, SplitsArgumentsAndRejectsOpenQuotes)
{
    EXPECT_EQ(DesktopEntry::splitExec("  app  --flag \"two words\" %%u "),
              (std::vector<std::string>{"app", "--flag", "two words", "%u"}));
    EXPECT_EQ(DesktopEntry::splitExec("\"unterminated"), std::nullopt);
    EXPECT_EQ(DesktopEntry::splitExec(""), std::vector<std::string>{});
}

} // namespace
} // namespace pulsegrove
