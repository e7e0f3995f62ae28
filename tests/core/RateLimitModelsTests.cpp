#include "quota/DecodingError.h"
#include "quota/GetAccountRateLimitsResponse.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

using namespace pulsegrove;
using nlohmann::json;
using Window = std::optional<RateLimitWindow>;
using Credit = RateLimitResetCredit;

namespace {

RateLimitWindow window(std::int64_t used, std::optional<std::int64_t> minutes)
{
    return RateLimitWindow{used, minutes, std::nullopt};
}

RateLimitSnapshot limit(Window primary, Window secondary, std::optional<std::string> name = std::nullopt)
{
    return RateLimitSnapshot{std::nullopt, std::move(name), primary, secondary, std::nullopt};
}

RateLimitSnapshot named(const std::string &name)
{
    return limit(std::nullopt, std::nullopt, name);
}

} // namespace

TEST(RateLimitSnapshotTests, WindowsAreChosenByDurationThenByPositionWithoutDuration)
{
    const auto undated = [](std::int64_t used) { return window(used, std::nullopt); };
    const std::tuple<RateLimitSnapshot, Window, Window> cases[] = {
        {limit(window(1, 300), window(2, 10080)), window(1, 300), window(2, 10080)},
        {limit(window(1, 10080), window(2, 300)), window(2, 300), window(1, 10080)},
        {limit(undated(1), undated(2)), undated(1), undated(2)},
        {limit(window(1, 300), window(2, 300)), window(1, 300), std::nullopt},
        {limit(window(1, 60), std::nullopt), std::nullopt, std::nullopt},
        {limit(std::nullopt, undated(1)), std::nullopt, undated(1)},
    };
    for (const auto &[snapshot, fiveHour, weekly] : cases) {
        EXPECT_EQ(snapshot.fiveHourWindow(), fiveHour) << snapshot.toJSON();
        EXPECT_EQ(snapshot.weeklyWindow(), weekly) << snapshot.toJSON();
        EXPECT_EQ(snapshot.hasRecognizedWindow(), fiveHour || weekly) << snapshot.toJSON();
    }
}

TEST(RateLimitModelsDecodingTests, WellFormedValuesRoundTripWithoutWritingAbsentMembers)
{
    const auto decoded = GetAccountRateLimitsResponse::fromJSON(json::parse(R"({"unknown":[1,2],
        "rateLimits":{"planType":"pro","limitId":null,"primary":{"usedPercent":1.0,"windowDurationMins":300,"resetsAt":-7}},
        "rateLimitsByLimitId":{"codex":{"limitName":"Codex","secondary":{"usedPercent":2,"resetsAt":null}}},
        "rateLimitResetCredits":{"availableCount":2,"credits":[{"status":"AVAILABLE","expiresAt":9},{},
                                                               {"status":3,"expiresAt":"tomorrow"}]}})"));
    EXPECT_EQ(decoded.rateLimits.primary, (RateLimitWindow{1, 300, -7}));
    EXPECT_EQ(decoded.rateLimitsByLimitId.value().at("codex"),
              limit(std::nullopt, window(2, std::nullopt), "Codex"));
    // Single credits are read tolerantly: an odd status is "unknown", an odd expiry none.
    const auto unknown = Credit{"unknown", std::nullopt};
    EXPECT_EQ(decoded.rateLimitResetCredits.value().credits,
              (std::vector{Credit{"AVAILABLE", 9}, unknown, unknown}));
    EXPECT_EQ(decoded.rateLimitResetCredits->returnedAvailableDetailCount(), 1);
    EXPECT_EQ(GetAccountRateLimitsResponse::fromJSON(decoded.toJSON()), decoded);
    EXPECT_EQ(decoded.toJSON()["rateLimitsByLimitId"]["codex"],
              json::parse(R"({"limitName":"Codex","secondary":{"usedPercent":2}})"));
}

TEST(RateLimitModelsDecodingTests, AWrongOrMissingMemberAnywhereFailsTheWholeAnswer)
{
    // Each bad part stands in its place (the "%") in an otherwise valid answer.
    const std::pair<const char *, std::vector<const char *>> cases[] = {
        {R"({"rateLimits":{"primary":%}})",
         {R"({})", R"({"usedPercent":null})", R"({"usedPercent":"5"})", R"({"usedPercent":5.5})",
          R"({"usedPercent":9223372036854775808})", R"({"usedPercent":1,"resetsAt":"soon"})"}},
        {R"({"rateLimits":%})", {"null", R"({"limitId":3})", R"({"secondary":{}})"}},
        {R"({"rateLimits":{},"rateLimitsByLimitId":%})", {"[]", R"({"codex":null})"}},
        {R"({"rateLimits":{},"rateLimitResetCredits":%})",
         {R"({"credits":[]})", R"({"availableCount":"2"})", R"({"availableCount":1,"credits":[7]})"}},
        {"%", {R"({})", R"("text")"}},
    };
    for (const auto &[frame, parts] : cases) {
        for (const std::string part : parts) {
            std::string text = frame;
            text.replace(text.find('%'), 1, part);
            EXPECT_THROW(GetAccountRateLimitsResponse::fromJSON(json::parse(text)), DecodingError) << text;
        }
    }
}

TEST(GetAccountRateLimitsResponseTests, SparkLimitPrefersItsIdThenItsNameInAnyCase)
{
    using Limits = std::map<std::string, RateLimitSnapshot>;
    const std::pair<Limits, std::optional<RateLimitSnapshot>> cases[] = {
        {{{"a", named("GPT-5.3-Codex-Spark")}, {"codex", named("codex")}}, named("GPT-5.3-Codex-Spark")},
        {{{"a", named("GPT-5.3-Codex-Spark")}, {"codex_bengalfox", named("bengalfox")}}, named("bengalfox")},
        {{{"x", named("gpt-5.3-codex-spark")}, {"y", named("Codex Spark")}}, named("gpt-5.3-codex-spark")},
        {{{"y", named("Codex Spark")}, {"z", RateLimitSnapshot{}}}, std::nullopt},
    };
    for (const auto &[limits, expected] : cases) {
        const GetAccountRateLimitsResponse response{RateLimitSnapshot{}, limits, std::nullopt};
        EXPECT_EQ(response.sparkRateLimits(), expected) << response.toJSON();
    }
}

TEST(RateLimitResetCreditsSummaryTests, AvailabilityIgnoresLetterCaseAndCountsNeverGoBelowZero)
{
    RateLimitResetCreditsSummary summary{
        5, std::vector{Credit{"available", 1}, Credit{"used", 2}, Credit{"Available", std::nullopt}}};
    EXPECT_FALSE((Credit{" available", 1}.isAvailable()));
    // Resets are Unix seconds.
    EXPECT_EQ((RateLimitWindow{1, 300, 978307260}).resetDate(), Date::fromReferenceSeconds(60));
    EXPECT_EQ(summary.missingAvailableDetailCount(), 3);
    summary.availableCount = -1;
    EXPECT_EQ(summary.displayAvailableCount(), 0);
    EXPECT_EQ(summary.missingAvailableDetailCount(), 0);
}

TEST(RateLimitResetCreditsSummaryTests, DisplayOrderGroupsByExpiryAroundNow)
{
    const std::int64_t now = 1'700'000'000;
    const auto available = [](std::optional<std::int64_t> expiresAt) {
        return Credit{"available", expiresAt};
    };
    const RateLimitResetCreditsSummary summary{6, std::vector{available(now + 7200), available(std::nullopt),
                                                              available(now + 3600), Credit{"used", now + 10},
                                                              available(now - 3600), available(now),
                                                              available(now - 7200)}};
    const Date nowDate = Date::fromUnixSeconds(now);
    EXPECT_EQ(summary.availableCreditsForDisplay(nowDate),
              (std::vector{available(now + 3600), available(now + 7200), available(now),
                           available(now - 3600), available(now - 7200), available(std::nullopt)}));
    EXPECT_EQ(summary.nearestExpiringCredits(1, nowDate), (std::vector{available(now + 3600)}));
    EXPECT_EQ(summary.nearestExpiringCredits(10, nowDate),
              (std::vector{available(now + 3600), available(now + 7200)}));
    EXPECT_TRUE(summary.nearestExpiringCredits(0, nowDate).empty());
}
