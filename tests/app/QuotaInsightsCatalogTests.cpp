#include "TemporaryDirectory.h"
#include "insights/QuotaInsightsCatalog.h"
#include "insights/QuotaInsightsTexts.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace pulsegrove {
namespace {

using Model = QuotaInsightsCatalog::Model;

// Rates may be absent or null; models keep file order; unknown members are ignored.
TEST(QuotaInsightsCatalogTests, DecodesModelsInFileOrderWithOptionalRates)
{
    const auto catalog = QuotaInsightsCatalog::decode(R"({
        "verifiedAt": "2026-11-30T08:00:00Z", "note": "ignored",
        "models": [
            {"id": "m2", "name": "Model <b>Two</b>", "input": 1.25, "cachedInput": 0.125, "output": 10,
             "fastMultiplier": 2},
            {"id": "m1", "name": "Model One", "input": null, "output": 0}
        ]})");
    ASSERT_TRUE(catalog);
    EXPECT_EQ(catalog->verifiedAt, QStringLiteral("2026-11-30T08:00:00Z"));
    EXPECT_EQ(catalog->models, (QList<Model>{{QStringLiteral("m2"), QStringLiteral("Model <b>Two</b>"), 1.25,
                                              0.125, 10.0, 2.0},
                                             {QStringLiteral("m1"), QStringLiteral("Model One"), std::nullopt,
                                              std::nullopt, 0.0, std::nullopt}}));
    EXPECT_EQ(QuotaInsightsCatalog::decode(R"({"verifiedAt":"","models":[]})"),
              (QuotaInsightsCatalog{{}, {}}));
}

TEST(QuotaInsightsCatalogTests, RefusesAnythingMalformed)
{
    const std::vector<std::string> malformed = {
        "",
        "{",
        R"({"models":[]})",
        R"({"verifiedAt":20261130,"models":[]})",
        R"({"verifiedAt":"x","models":{}})",
        R"({"verifiedAt":"x","models":["m"]})",
        R"({"verifiedAt":"x","models":[{"name":"no id"}]})",
        R"({"verifiedAt":"x","models":[{"id":"m","name":5}]})",
        R"({"verifiedAt":"x","models":[{"id":"m","name":"n","input":"1.5"}]})",
        R"({"verifiedAt":"x","models":[{"id":"m","name":"n","output":-1}]})",
        R"({"verifiedAt":"x","models":[{"id":"m","name":"n","cachedInput":1e999}]})",
        std::string(R"({"verifiedAt":"\xff","models":[]})"),
        R"({"verifiedAt":"x","models":[)" + std::string(5000, '[') + std::string(5000, ']') + "]}",
    };
    for (const auto &text : malformed)
        EXPECT_EQ(QuotaInsightsCatalog::decode(text), std::nullopt) << text;
}

// Reading a file: missing, a folder, over the size cap or malformed all give nothing.
TEST(QuotaInsightsCatalogTests, LoadsOnlyASmallWellFormedFile)
{
    const testing::TemporaryDirectory folder;
    const std::string valid = R"({"verifiedAt":"2026-12-01","models":[{"id":"m","name":"M"}]})";
    const auto good = folder.writeFile("good.json", valid);
    ASSERT_TRUE(QuotaInsightsCatalog::load(good));
    EXPECT_EQ(QuotaInsightsCatalog::load(good)->models.size(), 1);

    const std::string padded = valid + std::string(QuotaInsightsCatalog::maximumFileSize, ' ');
    const std::vector<std::filesystem::path> unusable = {
        folder.path() / "missing.json",
        folder.path(),
        folder.writeFile("large.json", padded),
        folder.writeFile("broken.json", valid.substr(0, valid.size() - 1)),
    };
    for (const auto &file : unusable)
        EXPECT_EQ(QuotaInsightsCatalog::load(file), std::nullopt) << file;
    // The build tree ships no catalog, so the bundled one is absent.
    EXPECT_EQ(QuotaInsightsCatalog::bundled(), std::nullopt);
}

TEST(QuotaInsightsTextsTests, RatesReadTheSameOnEverySurface)
{
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const Model full{QStringLiteral("m"), QStringLiteral("M"), 1.25, 0.125, 1250, 1.5};
    const Model partial{QStringLiteral("m"), QStringLiteral("M"), 1.25, std::nullopt, 10, std::nullopt};
    EXPECT_EQ(QuotaInsightsTexts::standardRatesText(full, english),
              QStringLiteral("标准：输入 1.25 / 缓存 0.125 / 输出 1,250"));
    EXPECT_EQ(QuotaInsightsTexts::standardRatesText(partial, english),
              QStringLiteral("独立额度，暂无已公布的可比 credits 费率"));
    EXPECT_EQ(QuotaInsightsTexts::fastModeText(full, english),
              QStringLiteral("加速（如可用）：标准消耗的 1.5×"));
    EXPECT_EQ(QuotaInsightsTexts::fastModeText(partial, english),
              QStringLiteral("加速倍率暂无已核实官方数据"));
    EXPECT_EQ(QuotaInsightsTexts::formattedNumber(0.1 + 0.2, QLocale(QLocale::German)),
              QStringLiteral("0,30000000000000004"));
    EXPECT_EQ(QuotaInsightsTexts::verifiedDateText({QStringLiteral("2026-11-30T08:00:00Z"), {}}),
              QStringLiteral("核实日期：2026-11-30"));
    EXPECT_EQ(QuotaInsightsTexts::verifiedDateText({QStringLiteral("昨天"), {}}),
              QStringLiteral("核实日期：昨天"));
}

} // namespace
} // namespace pulsegrove
