#include "quota/DecodingError.h"
#include "quota/GetAccountRateLimitsResponse.h"

#include <gtest/gtest.h>
#include <limits>
#include <nlohmann/json.hpp>

using namespace pulsegrove;
using nlohmann::json;

namespace {

RateLimitWindow window(std::int64_t used, std::optional<std::int64_t> minutes)
{
    return RateLimitWindow{used, minutes, std::nullopt};
}

RateLimitSnapshot snapshot(std::optional<RateLimitWindow> primary, std::optional<RateLimitWindow> secondary)
{
    RateLimitSnapshot result;
    result.primary = primary;
    result.secondary = secondary;
    return result;
}

RateLimitSnapshot named(const std::string &name, std::int64_t used)
{
    auto result = snapshot(window(used, 300), std::nullopt);
    result.limitName = name;
    return result;
}

RateLimitResetCredit credit(const std::string &status, std::optional<std::int64_t> expiresAt)
{
    return RateLimitResetCredit{status, expiresAt};
}

std::vector<std::optional<std::int64_t>> expiries(const std::vector<RateLimitResetCredit> &credits)
{
    std::vector<std::optional<std::int64_t>> result;
    for (const auto &entry : credits)
        result.push_back(entry.expiresAt);
    return result;
}

} // namespace

TEST(RateLimitWindowTests, RemainingPercentIsClampedAndNeverOverflows)
{
    EXPECT_EQ(window(30, 300).remainingPercent(), 70);
    EXPECT_EQ(window(130, 300).remainingPercent(), 0);
    EXPECT_EQ(window(-5, 300).remainingPercent(), 100);
    EXPECT_EQ(window(std::numeric_limits<std::int64_t>::min(), 300).remainingPercent(), 100);
    EXPECT_EQ(window(std::numeric_limits<std::int64_t>::max(), 300).remainingPercent(), 0);
}

TEST(RateLimitWindowTests, ResetDateCountsFromTheUnixEpoch)
{
    EXPECT_FALSE(window(1, 300).resetDate());
    const RateLimitWindow timed{1, 300, 978307260};
    EXPECT_EQ(timed.resetDate(), Date::fromReferenceSeconds(60));
}

TEST(RateLimitWindowTests, DecodingIsStrictAboutTypes)
{
    EXPECT_EQ(RateLimitWindow::fromJSON(json::parse(R"({"usedPercent":5,"windowDurationMins":null,"x":1})")),
              window(5, std::nullopt));
    EXPECT_EQ(RateLimitWindow::fromJSON(json::parse(R"({"usedPercent":5.0,"resetsAt":-7})")).resetsAt, -7);
    for (const char *bad :
         {R"({})", R"({"usedPercent":null})", R"({"usedPercent":"5"})", R"({"usedPercent":5.5})",
          R"({"usedPercent":true})", R"({"usedPercent":9223372036854775808})",
          R"({"usedPercent":1,"resetsAt":"soon"})", R"([1])"})
        EXPECT_THROW(RateLimitWindow::fromJSON(json::parse(bad)), DecodingError) << bad;
}

TEST(RateLimitSnapshotTests, WindowsAreChosenByDurationThenByPositionWithoutDuration)
{
    auto ordered = snapshot(window(1, 300), window(2, 10080));
    EXPECT_EQ(ordered.fiveHourWindow(), window(1, 300));
    EXPECT_EQ(ordered.weeklyWindow(), window(2, 10080));

    auto swapped = snapshot(window(1, 10080), window(2, 300));
    EXPECT_EQ(swapped.fiveHourWindow(), window(2, 300));
    EXPECT_EQ(swapped.weeklyWindow(), window(1, 10080));

    auto undated = snapshot(window(1, std::nullopt), window(2, std::nullopt));
    EXPECT_EQ(undated.fiveHourWindow(), window(1, std::nullopt));
    EXPECT_EQ(undated.weeklyWindow(), window(2, std::nullopt));

    auto twoFiveHour = snapshot(window(1, 300), window(2, 300));
    EXPECT_EQ(twoFiveHour.fiveHourWindow(), window(1, 300));
    EXPECT_FALSE(twoFiveHour.weeklyWindow());

    auto hourly = snapshot(window(1, 60), std::nullopt);
    EXPECT_FALSE(hourly.fiveHourWindow());
    EXPECT_FALSE(hourly.weeklyWindow());
    EXPECT_FALSE(hourly.hasRecognizedWindow());
    EXPECT_TRUE(snapshot(std::nullopt, window(1, std::nullopt)).hasRecognizedWindow());
}

TEST(RateLimitSnapshotTests, DecodingFailsOnAnyWrongMemberAndEncodingOmitsAbsentOnes)
{
    EXPECT_EQ(RateLimitSnapshot::fromJSON(json::parse(R"({"limitId":null})")), RateLimitSnapshot{});
    for (const char *bad :
         {R"({"limitId":3})", R"({"planType":false})", R"({"primary":{}})", R"({"primary":[]})"})
        EXPECT_THROW(RateLimitSnapshot::fromJSON(json::parse(bad)), DecodingError) << bad;

    EXPECT_EQ(RateLimitSnapshot{}.toJSON(), json::object());
    auto full = snapshot(RateLimitWindow{10, 300, 1700000000}, window(20, std::nullopt));
    full.limitId = "codex";
    full.planType = "pro";
    EXPECT_EQ(full.toJSON(), json::parse(R"({"limitId":"codex","planType":"pro",
        "primary":{"usedPercent":10,"windowDurationMins":300,"resetsAt":1700000000},
        "secondary":{"usedPercent":20}})"));
    EXPECT_EQ(RateLimitSnapshot::fromJSON(full.toJSON()), full);
}

TEST(GetAccountRateLimitsResponseTests, RegularLimitPrefersTheCodexEntry)
{
    GetAccountRateLimitsResponse response;
    response.rateLimits = named("default", 1);
    EXPECT_EQ(response.codexRateLimits(), named("default", 1));
    EXPECT_FALSE(response.sparkRateLimits());

    response.rateLimitsByLimitId = {{"other", named("other", 2)}};
    EXPECT_EQ(response.codexRateLimits(), named("default", 1));
    response.rateLimitsByLimitId->emplace("codex", named("codex", 3));
    EXPECT_EQ(response.codexRateLimits(), named("codex", 3));
}

TEST(GetAccountRateLimitsResponseTests, SparkLimitPrefersItsIdThenItsNameInAnyCase)
{
    GetAccountRateLimitsResponse response;
    response.rateLimitsByLimitId = {{"a-spark", named("GPT-5.3-Codex-Spark", 1)},
                                    {"codex", named("codex", 2)}};
    EXPECT_EQ(response.sparkRateLimits(), named("GPT-5.3-Codex-Spark", 1));

    response.rateLimitsByLimitId->emplace("codex_bengalfox", named("bengalfox", 3));
    EXPECT_EQ(response.sparkRateLimits(), named("bengalfox", 3));

    response.rateLimitsByLimitId = {{"x", named("gpt-5.3-codex-spark", 4)}, {"y", named("Codex Spark", 5)}};
    EXPECT_EQ(response.sparkRateLimits(), named("gpt-5.3-codex-spark", 4));
    response.rateLimitsByLimitId = {{"y", named("Codex Spark", 5)}};
    EXPECT_FALSE(response.sparkRateLimits());
}

TEST(GetAccountRateLimitsResponseTests, EnvelopeDecodingIsStrict)
{
    const auto decoded = GetAccountRateLimitsResponse::fromJSON(json::parse(R"({
        "rateLimits":{"primary":{"usedPercent":1}},
        "rateLimitsByLimitId":{"codex":{"limitName":"Codex"}},
        "rateLimitResetCredits":null, "unknown":[1,2]})"));
    EXPECT_EQ(decoded.rateLimits.primary, window(1, std::nullopt));
    ASSERT_TRUE(decoded.rateLimitsByLimitId);
    EXPECT_EQ(decoded.rateLimitsByLimitId->at("codex").limitName, "Codex");
    EXPECT_FALSE(decoded.rateLimitResetCredits);
    EXPECT_EQ(GetAccountRateLimitsResponse::fromJSON(decoded.toJSON()), decoded);

    for (const char *bad : {R"({})", R"({"rateLimits":null})", R"({"rateLimits":[]})",
                            R"({"rateLimits":{},"rateLimitsByLimitId":[]})",
                            R"({"rateLimits":{},"rateLimitsByLimitId":{"codex":null}})",
                            R"({"rateLimits":{},"rateLimitResetCredits":{}})", R"("text")"})
        EXPECT_THROW(GetAccountRateLimitsResponse::fromJSON(json::parse(bad)), DecodingError) << bad;
}

TEST(RateLimitResetCreditTests, SingleCreditsDecodeTolerantly)
{
    const auto capitals =
        RateLimitResetCredit::fromJSON(json::parse(R"({"status":"AVAILABLE","expiresAt":5})"));
    EXPECT_TRUE(capitals.isAvailable());
    EXPECT_EQ(capitals.expiryDate(), Date::fromUnixSeconds(5));

    const auto odd = RateLimitResetCredit::fromJSON(json::parse(R"({"status":3,"expiresAt":"tomorrow"})"));
    EXPECT_EQ(odd, credit("unknown", std::nullopt));
    EXPECT_FALSE(odd.isAvailable());
    EXPECT_FALSE(credit(" available", 1).isAvailable());
    EXPECT_EQ(RateLimitResetCredit::fromJSON(json::object()).toJSON(),
              json::parse(R"({"status":"unknown"})"));
}

TEST(RateLimitResetCreditsSummaryTests, CountsNeverGoBelowZero)
{
    RateLimitResetCreditsSummary summary{
        5, std::vector{credit("available", 1), credit("used", 2), credit("Available", std::nullopt)}};
    EXPECT_EQ(summary.displayAvailableCount(), 5);
    EXPECT_EQ(summary.returnedAvailableDetailCount(), 2);
    EXPECT_EQ(summary.missingAvailableDetailCount(), 3);

    summary.availableCount = -1;
    EXPECT_EQ(summary.displayAvailableCount(), 0);
    EXPECT_EQ(summary.missingAvailableDetailCount(), 0);
    const RateLimitResetCreditsSummary withoutDetails{1, std::nullopt};
    EXPECT_EQ(withoutDetails.returnedAvailableDetailCount(), 0);
}

TEST(RateLimitResetCreditsSummaryTests, DisplayOrderGroupsByExpiryAroundNow)
{
    const std::int64_t now = 1'700'000'000;
    const RateLimitResetCreditsSummary summary{
        6, std::vector{credit("available", now + 7200), credit("available", std::nullopt),
                       credit("available", now + 3600), credit("used", now + 10),
                       credit("available", now - 3600), credit("available", now),
                       credit("available", now - 7200), credit("available", now + 3600)}};
    const Date nowDate = Date::fromUnixSeconds(now);
    using E = std::vector<std::optional<std::int64_t>>;
    EXPECT_EQ(expiries(summary.availableCreditsForDisplay(nowDate)),
              (E{now + 3600, now + 3600, now + 7200, now, now - 3600, now - 7200, std::nullopt}));
    EXPECT_EQ(expiries(summary.nearestExpiringCredits(2, nowDate)), (E{now + 3600, now + 3600}));
    EXPECT_EQ(expiries(summary.nearestExpiringCredits(10, nowDate)), (E{now + 3600, now + 3600, now + 7200}));
    EXPECT_TRUE(summary.nearestExpiringCredits(0, nowDate).empty());
}

TEST(RateLimitResetCreditsSummaryTests, DecodingIsStrictForTheSummaryOnly)
{
    const auto decoded = RateLimitResetCreditsSummary::fromJSON(
        json::parse(R"({"availableCount":2,"credits":[{"status":"available"},{"status":null}]})"));
    ASSERT_TRUE(decoded.credits);
    EXPECT_EQ(decoded.credits->size(), 2u);
    EXPECT_EQ(RateLimitResetCreditsSummary::fromJSON(decoded.toJSON()), decoded);
    const RateLimitResetCreditsSummary withoutDetails{1, std::nullopt};
    EXPECT_EQ(withoutDetails.toJSON(), json::parse(R"({"availableCount":1})"));

    for (const char *bad :
         {R"({"credits":[]})", R"({"availableCount":"2"})", R"({"availableCount":1,"credits":{}})",
          R"({"availableCount":1,"credits":[{"status":"available"},7]})"})
        EXPECT_THROW(RateLimitResetCreditsSummary::fromJSON(json::parse(bad)), DecodingError) << bad;
}
