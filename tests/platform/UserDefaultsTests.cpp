#include "ScopedEnvironmentVariable.h"
#include "TemporaryDirectory.h"
#include "UserDefaults.h"

#include <cmath>
#include <fstream>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sstream>

using namespace pulsegrove;
using pulsegrove::testing::ScopedEnvironmentVariable;
using pulsegrove::testing::TemporaryDirectory;

namespace {

class UserDefaultsTests : public ::testing::Test {
protected:
    Environment environment() const { return Environment({{"XDG_CONFIG_HOME", m_folder.path().string()}}); }
    std::filesystem::path suiteFolder() const { return m_folder.path() / "Pulsegrove"; }
    std::unique_ptr<UserDefaults> suite(const std::string &name = "io.velorn.Pulsegrove.test") const
    {
        return std::make_unique<UserDefaults>(name, environment());
    }
    void writeSuiteFile(const std::string &name, const std::string &content) const
    {
        m_folder.writeFile(std::filesystem::path("Pulsegrove") / UserDefaults::fileNameForSuite(name),
                           content);
    }
    static nlohmann::json fileContents(const std::filesystem::path &path)
    {
        std::ifstream file(path);
        std::stringstream text;
        text << file.rdbuf();
        return nlohmann::json::parse(text.str());
    }
    std::vector<std::string> filesInSuiteFolder() const
    {
        std::vector<std::string> names;
        for (const auto &entry : std::filesystem::directory_iterator(suiteFolder()))
            names.push_back(entry.path().filename().string());
        return names;
    }

    TemporaryDirectory m_folder;
};

} // namespace

TEST_F(UserDefaultsTests, ValuesKeepTheirTypeOnDiskAndAcrossObjects)
{
    auto writer = suite();
    auto reader = suite();
    EXPECT_EQ(writer->fileURL(), suiteFolder() / "io.velorn.Pulsegrove.test.json");
    EXPECT_FALSE(reader->boolValue("flag"));

    EXPECT_TRUE(writer->setBool("flag", false));
    EXPECT_TRUE(writer->setNumber("count", 2.5));
    EXPECT_TRUE(writer->setString("theme", "violet"));
    EXPECT_TRUE(writer->setStringList("hidden", {"sparkQuota", "resetHints"}));

    EXPECT_EQ(reader->boolValue("flag"), false);
    EXPECT_EQ(reader->numberValue("count"), 2.5);
    EXPECT_EQ(reader->stringValue("theme"), "violet");
    EXPECT_EQ(reader->stringListValue("hidden"), (std::vector<std::string>{"sparkQuota", "resetHints"}));

    const auto expected = nlohmann::json{
        {"flag", false}, {"count", 2.5}, {"theme", "violet"}, {"hidden", {"sparkQuota", "resetHints"}}};
    EXPECT_EQ(fileContents(writer->fileURL()), expected);
    EXPECT_EQ(filesInSuiteFolder(), std::vector<std::string>{"io.velorn.Pulsegrove.test.json"});

    writer.reset();
    reader.reset();
    EXPECT_EQ(suite()->stringValue("theme"), "violet");
}

TEST_F(UserDefaultsTests, ValuesOfAnotherTypeReadAsAbsent)
{
    writeSuiteFile(
        "io.velorn.Pulsegrove.test",
        R"({"text": "true", "one": 1, "flag": true, "mixed": ["a", 1], "empty": [], "nothing": null})");
    const auto defaults = suite();
    EXPECT_EQ(defaults->boolValue("text"), std::nullopt);
    EXPECT_EQ(defaults->boolValue("one"), std::nullopt);
    EXPECT_EQ(defaults->numberValue("flag"), std::nullopt);
    EXPECT_EQ(defaults->stringValue("one"), std::nullopt);
    EXPECT_EQ(defaults->stringListValue("mixed"), std::nullopt);
    EXPECT_EQ(defaults->stringListValue("text"), std::nullopt);
    EXPECT_EQ(defaults->stringListValue("empty"), std::vector<std::string>{});
    EXPECT_EQ(defaults->numberValue("one"), 1.0);
    EXPECT_EQ(defaults->boolValue("nothing"), std::nullopt);
    EXPECT_TRUE(defaults->containsKey("nothing"));
    EXPECT_FALSE(defaults->containsKey("missing"));
}

TEST_F(UserDefaultsTests, MalformedFilesReadAsEmptyAndAreReplacedWholeOnTheNextWrite)
{
    for (const std::string content : {"{\"theme\": \"violet\"", "[\"theme\", \"violet\"]", "", "\xff\xfe"}) {
        writeSuiteFile("io.velorn.Pulsegrove.test", content);
        auto defaults = suite();
        EXPECT_FALSE(defaults->containsKey("theme")) << content;
        EXPECT_TRUE(defaults->setBool("flag", true));
        EXPECT_EQ(fileContents(defaults->fileURL()), (nlohmann::json{{"flag", true}})) << content;
    }
}

TEST_F(UserDefaultsTests, ChangesMadeByAnotherProcessAreSeenOnTheNextRead)
{
    const auto defaults = suite();
    EXPECT_TRUE(defaults->setString("theme", "violet"));
    writeSuiteFile("io.velorn.Pulsegrove.test", R"({"theme": "sunset", "other": true})");
    EXPECT_EQ(defaults->stringValue("theme"), "sunset");

    // A write starts from the file's latest contents, so the other process's key survives.
    EXPECT_TRUE(defaults->setBool("flag", false));
    EXPECT_EQ(fileContents(defaults->fileURL()),
              (nlohmann::json{{"theme", "sunset"}, {"other", true}, {"flag", false}}));
}

TEST_F(UserDefaultsTests, RemovingValuesAndDomains)
{
    auto first = suite("first");
    auto second = suite("second");
    ASSERT_TRUE(first->setString("a", "1"));
    ASSERT_TRUE(first->setString("b", "2"));
    ASSERT_TRUE(second->setString("c", "3"));

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
    const std::vector<std::string> names = {"../escape",   "a/b",   "..",
                                            "/etc/passwd", "a%2Fb", std::string("nul\0x", 5)};
    for (const std::string &name : names) {
        const auto defaults = suite(name);
        EXPECT_EQ(defaults->fileURL().parent_path(), suiteFolder()) << name;
        EXPECT_TRUE(defaults->setString("name", name)) << name;
    }
    EXPECT_EQ(UserDefaults::fileNameForSuite("../escape"), "%2E.%2Fescape.json");
    EXPECT_EQ(UserDefaults::fileNameForSuite("a/b"), "a%2Fb.json");
    EXPECT_EQ(UserDefaults::fileNameForSuite("a%2Fb"), "a%252Fb.json");
    EXPECT_EQ(UserDefaults::fileNameForSuite("io.velorn.Pulsegrove"), "io.velorn.Pulsegrove.json");
    EXPECT_EQ(suite("a/b")->stringValue("name"), "a/b");
    EXPECT_EQ(suite("a%2Fb")->stringValue("name"), "a%2Fb");
    EXPECT_EQ(filesInSuiteFolder().size(), 6u);
    EXPECT_FALSE(std::filesystem::exists(m_folder.path() / "escape.json"));
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
    EXPECT_EQ(filesInSuiteFolder(), std::vector<std::string>{"io.velorn.Pulsegrove.test.json"});

    EXPECT_FALSE(defaults->setNumber("count", std::nan("")));
    EXPECT_FALSE(defaults->containsKey("count"));
}

TEST_F(UserDefaultsTests, TheStandardSuiteFollowsTheConfigFolderOfTheProcess)
{
    const ScopedEnvironmentVariable config("XDG_CONFIG_HOME", m_folder.path().string());
    const auto standard = UserDefaults::standard();
    EXPECT_EQ(standard->suiteName(), "io.velorn.Pulsegrove");
    EXPECT_EQ(standard->fileURL(), suiteFolder() / "io.velorn.Pulsegrove.json");
    EXPECT_EQ(UserDefaults::standard(), standard);

    ASSERT_TRUE(standard->setString("theme", "emerald"));
    EXPECT_EQ(suite(UserDefaults::standardSuiteName)->stringValue("theme"), "emerald");
}
