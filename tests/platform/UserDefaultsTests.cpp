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
    void writeSuiteFile(const std::string &content) const
    {
        m_folder.writeFile("Pulsegrove/io.velorn.Pulsegrove.test.json", content);
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
    const auto expected =
        nlohmann::json{{"flag", false}, {"count", 2.5}, {"theme", "violet"}, {"hidden", {"spark", "hints"}}};
    EXPECT_EQ(fileContents(writer->fileURL()), expected);
    // Written whole through a temporary file that does not stay behind, readable by the user only.
    EXPECT_EQ(filesInSuiteFolder(), 1);
    const auto permissions = std::filesystem::status(writer->fileURL()).permissions();
    EXPECT_EQ(permissions & (std::filesystem::perms::group_all | std::filesystem::perms::others_all),
              std::filesystem::perms::none);

    writer.reset();
    reader.reset();
    EXPECT_EQ(suite()->numberValue("count"), 2.5);
}

TEST_F(UserDefaultsTests, MalformedFilesReadAsEmptyAndAreReplacedWholeOnTheNextWrite)
{
    for (const std::string content :
         {"{\"theme\": \"violet\"", "[\"theme\", \"violet\"]", "", "\xff\xfe", "fifo"}) {
        writeSuiteFile(content);
        const auto path = suiteFolder() / "io.velorn.Pulsegrove.test.json";
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

TEST_F(UserDefaultsTests, ChangesMadeElsewhereAreSeenOnTheNextReadAndOtherTypesReadAsAbsent)
{
    const auto defaults = suite();
    EXPECT_TRUE(defaults->setString("theme", "violet"));
    writeSuiteFile(
        R"({"theme": "sunset", "one": 1, "flag": true, "mixed": ["a", 1], "empty": [], "null": null})");
    EXPECT_EQ(defaults->stringValue("theme"), "sunset");
    EXPECT_EQ(defaults->boolValue("one"), std::nullopt);
    EXPECT_EQ(defaults->numberValue("flag"), std::nullopt);
    EXPECT_EQ(defaults->stringListValue("mixed"), std::nullopt);
    EXPECT_EQ(defaults->stringListValue("empty"), std::vector<std::string>{});
    EXPECT_EQ(defaults->numberValue("one"), 1.0);
    EXPECT_TRUE(defaults->containsKey("null"));

    // A write starts from the file's latest contents, so the other writer's keys survive.
    EXPECT_TRUE(defaults->setBool("flag", false));
    const auto written = fileContents(defaults->fileURL());
    EXPECT_EQ(written.size(), 6u);
    EXPECT_EQ(written["flag"], false);
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
    const std::vector<std::string> names = {"../escape", "a/b", "..", "/etc/passwd", "a%2Fb", {"nul\0x", 5}};
    for (const std::string &name : names) {
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
    std::filesystem::remove(m_folder.path() / "Pulsegrove");
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
