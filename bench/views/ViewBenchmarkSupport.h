#pragma once

#include "foundation/Date.h"
#include "quota/GetAccountRateLimitsResponse.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>

namespace pulsegrove::benchmarking {

// A full quota answer: both windows, the Spark limit and a dozen reset credits; `used` moves the
// shares so that consecutive answers differ.
inline std::string fullQuotaAnswer(std::int64_t used)
{
    const auto now = static_cast<std::int64_t>(Date::now().unixSeconds());
    GetAccountRateLimitsResponse response;
    response.rateLimits.planType = "pro";
    response.rateLimits.primary = RateLimitWindow{used, 300, now + 5400};
    response.rateLimits.secondary = RateLimitWindow{used + 20, 10080, now + 3 * 86400};
    RateLimitSnapshot spark;
    spark.primary = RateLimitWindow{used / 2, 300, now + 3600};
    spark.secondary = RateLimitWindow{used + 5, 10080, now + 5 * 86400};
    response.rateLimitsByLimitId = std::map<std::string, RateLimitSnapshot>{{"codex_bengalfox", spark}};
    std::vector<RateLimitResetCredit> credits;
    for (int index = 0; index < 12; ++index)
        credits.push_back({"available", now + (index + 1) * 86400LL});
    response.rateLimitResetCredits = RateLimitResetCreditsSummary{14, credits};
    return response.toJSON().dump();
}

// Runs the registered benchmarks inside an application object on the offscreen platform.
inline int runBenchmarksInApplication(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace pulsegrove::benchmarking
