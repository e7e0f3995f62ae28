#include "ScopedEnvironmentVariable.h"
#include "TemporaryDirectory.h"
#include "UserDefaults.h"

#include <cmath>
#include <fstream>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sys/stat.h>

using namespace pulsegrove;
using pulsegrove::testing::ScopedEnvironmentVariable;
using pulsegrove::testing::TemporaryDirectory;

namespace {

class UserDefaultsTests : public ::testing::Test {
protected:
    std::filesystem::path suiteFolder() const { return m_folder.path() / "Pulsegrove"; }
    std::unique_ptr<UserDefaults> suite(const std::string &name = "io.velorn.Pulsegrove.test") const
    {
        return std::make_unique<UserDefaults>(name,
                                              Environment({{"XDG_CONFIG_HOME", m_folder.path().string()}}));
    }
    std::filesystem::path writeSuiteFile(const std::string &content) const
    {
        return m_folder.writeFile("Pulsegrove/io.velorn.Pulsegrove.test.json", content);
    }
    static nlohmann::json fileContents(const std::filesystem::path &path)
    {
        return nlohmann::json::parse(std::ifstream(path));
    }
    long filesInSuiteFolder() const
    {
        return std::distance(std::filesystem::directory_iterator(suiteFolder()), {});
    }

    TemporaryDirectory m_folder;
};

} // namespace

TEST_F(UserDefaultsTests, ValuesKeepTheirTypeOnDiskAndAcrossObjects)
{
    auto writer = suite();
    auto reader = suite();
    ASSERT_TRUE(writer->setBool("flag", false) && writer->setNumber("count", 2.5) &&
                writer->setString("theme", "violet") && writer->setStringList("hidden", {"spark", "hints"}));
    EXPECT_EQ(reader->stringListValue("hidden"), (std::vector<std::string>{"spark", "hints"}));
    EXPECT_EQ(fileContents(writer->fileURL()),
              (nlohmann::json{
                  {"flag", false}, {"count", 2.5}, {"theme", "violet"}, {"hidden", {"spark", "hints"}}}));
    // Written whole through a temporary file that does not stay behind, readable by the user only.
    EXPECT_EQ(filesInSuiteFolder(), 1);
    EXPECT_EQ(std::filesystem::status(writer->fileURL()).permissions(), std::filesystem::perms(0600));

    writer.reset();
    reader.reset();
    EXPECT_EQ(suite()->numberValue("count"), 2.5);
}

TEST_F(UserDefaultsTests, MalformedFilesReadAsEmptyAndAreReplacedWholeOnTheNextWrite)
{
    for (const std::string content :
         {"{\"theme\": \"violet\"", "[\"theme\", \"violet\"]", "", "\xff\xfe", "fifo"}) {
        const auto path = writeSuiteFile(content);
        // A FIFO in the file's place has no writer: reading it must not wait for one.
        if (content == "fifo") {
            ASSERT_TRUE(std::filesystem::remove(path) && ::mkfifo(path.c_str(), 0600) == 0);
        }
        auto defaults = suite();
        EXPECT_FALSE(defaults->containsKey("theme")) << content;
        EXPECT_TRUE(defaults->setBool("flag", true));
        EXPECT_EQ(fileContents(path), (nlohmann::json{{"flag", true}})) << content;
    }
}

TEST_F(UserDefaultsTests, ChangesMadeElsewhereAreSeenOnTheNextReadOrWriteAndOtherTypesReadAsAbsent)
{
    const auto defaults = suite();
    EXPECT_TRUE(defaults->setString("theme", "violet"));
    const std::string elsewhere =
        R"({"one": 1, "flag": true, "mixed": ["a", 1], "empty": [], "null": null, "theme": )";
    writeSuiteFile(elsewhere + "\"sunset\"}");
    EXPECT_EQ(defaults->stringValue("theme"), "sunset");
    EXPECT_EQ(defaults->numberValue("one"), 1.0);
    EXPECT_EQ(defaults->stringListValue("empty"), std::vector<std::string>{});
    EXPECT_TRUE(defaults->containsKey("null"));
    EXPECT_FALSE(defaults->boolValue("one") || defaults->numberValue("flag") ||
                 defaults->stringListValue("mixed"));

    // A write starts from the file's latest contents, so the other writer's keys survive.
    writeSuiteFile(elsewhere + "\"dusk\"}");
    EXPECT_TRUE(defaults->setBool("flag", false));
    auto expected = nlohmann::json::parse(elsewhere + "\"dusk\"}");
    expected["flag"] = false;
    EXPECT_EQ(fileContents(defaults->fileURL()), expected);
}

TEST_F(UserDefaultsTests, RemovingValuesAndDomains)
{
    auto first = suite("first");
    auto second = suite("second");
    ASSERT_TRUE(first->setString("a", "1") && first->setString("b", "2") && second->setString("c", "3"));
    EXPECT_TRUE(first->removeValue("a"));
    EXPECT_EQ(fileContents(first->fileURL()), (nlohmann::json{{"b", "2"}}));

    EXPECT_TRUE(first->removePersistentDomain("second"));
    EXPECT_FALSE(std::filesystem::exists(second->fileURL()));
    EXPECT_FALSE(second->containsKey("c"));
    EXPECT_TRUE(first->removePersistentDomain("first"));
    EXPECT_FALSE(first->containsKey("b"));
    EXPECT_TRUE(first->removePersistentDomain("never-written"));
}

TEST_F(UserDefaultsTests, SuiteNamesCannotLeaveTheFolderOrCollide)
{
    for (const std::string &name :
         std::vector<std::string>{"../escape", "a/b", "..", "/etc/passwd", "a%2Fb", {"nul\0x", 5}}) {
        EXPECT_EQ(suite(name)->fileURL().parent_path(), suiteFolder()) << name;
        EXPECT_TRUE(suite(name)->setString("name", name)) << name;
    }
    EXPECT_EQ(UserDefaults::fileNameForSuite("../escape"), "%2E.%2Fescape.json");
    EXPECT_EQ(filesInSuiteFolder(), 6);
}

TEST_F(UserDefaultsTests, AFailedWriteIsReportedAndLeavesNoTemporaryFile)
{
    // A file where the suite folder should be makes every write fail, even for root.
    m_folder.writeFile("Pulsegrove", "not a folder");
    const auto defaults = suite();
    EXPECT_FALSE(defaults->setString("theme", "violet"));
    EXPECT_EQ(defaults->stringValue("theme"), "violet");

    // A folder in the file's place lets the temporary file be written but not renamed.
    std::filesystem::remove(suiteFolder());
    m_folder.writeFile("Pulsegrove/io.velorn.Pulsegrove.test.json/keep", "");
    EXPECT_FALSE(defaults->setBool("flag", true));
    EXPECT_EQ(filesInSuiteFolder(), 1);

    EXPECT_FALSE(defaults->setNumber("count", std::nan("")));
    EXPECT_FALSE(defaults->containsKey("count"));
}

TEST_F(UserDefaultsTests, TheStandardSuiteFollowsTheConfigFolderOfTheProcess)
{
    const ScopedEnvironmentVariable config("XDG_CONFIG_HOME", m_folder.path().string());
    const auto standard = UserDefaults::standard();
    EXPECT_EQ(standard->fileURL(), suiteFolder() / "io.velorn.Pulsegrove.json");
    EXPECT_EQ(UserDefaults::standard(), standard);
    ASSERT_TRUE(standard->setString("theme", "emerald"));
    EXPECT_EQ(suite(UserDefaults::standardSuiteName)->stringValue("theme"), "emerald");
}
