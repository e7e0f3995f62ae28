#pragma once

#include "FixedMetricsSampler.h"
#include "QuotaStoreTestFixture.h"
#include "ViewRendering.h"
#include "quota/GetAccountRateLimitsResponse.h"
#include "stores/SystemMetricsStore.h"

#include <nlohmann/json.hpp>

namespace pulsegrove::testing {

// A quota store and a metrics store as a panel's host holds them, on a temporary home, in the
// default theme, with helpers that bring the quota store into each of its states.
class QuotaPanelTest : public QuotaStoreTest {
protected:
    // The stores' clock stands at the start of this minute of the wall clock, because the cards'
    // minute timelines read the wall clock: so the reset texts read as they would on screen.
    static inline const std::int64_t nowUnix = static_cast<std::int64_t>(Date::now().unixSeconds()) / 60 * 60;

    QuotaPanelTest() { m_now = Date::fromUnixSeconds(static_cast<double>(nowUnix)); }

    static RateLimitWindow window(std::int64_t used, std::int64_t minutes, std::int64_t resetsIn)
    {
        return {used, minutes, nowUnix + resetsIn};
    }
    // A response with both windows, the Spark limit and two of three reset credits detailed.
    static GetAccountRateLimitsResponse fullResponse()
    {
        GetAccountRateLimitsResponse response;
        response.rateLimits.planType = "pro";
        response.rateLimits.primary = window(37, 300, 5400);
        response.rateLimits.secondary = window(62, 10080, 3 * 86400);
        RateLimitSnapshot spark;
        spark.limitName = "GPT-5.3-Codex-Spark";
        spark.primary = window(10, 300, 3600);
        spark.secondary = window(45, 10080, 5 * 86400);
        response.rateLimitsByLimitId =
            std::map<std::string, RateLimitSnapshot>{{GetAccountRateLimitsResponse::sparkLimitId, spark}};
        response.rateLimitResetCredits = RateLimitResetCreditsSummary{
            3, std::vector<RateLimitResetCredit>{{"available", nowUnix + 2 * 86400},
                                                 {"available", nowUnix + 9 * 86400}}};
        return response;
    }
    // A store whose codex answers with `response`, refreshed once, so its data is live.
    std::unique_ptr<QuotaStore> liveStore(const GetAccountRateLimitsResponse &response)
    {
        m_liveCodex = std::make_unique<FakeCodex>(FakeCodex::answering(response.toJSON().dump()));
        auto store = makeStore(clientFor(*m_liveCodex));
        await(store->refresh(true));
        return store;
    }
    // A store that starts from the cached snapshot, so its data is stale.
    std::unique_ptr<QuotaStore> cachedStore(const GetAccountRateLimitsResponse &response)
    {
        m_cache->save(QuotaSnapshot(response, m_now.addingSeconds(-120)));
        return makeStore();
    }
    std::unique_ptr<SystemMetricsStore>
    metricsStore(std::optional<SystemMetricsSnapshot> sample = std::nullopt)
    {
        auto store = std::make_unique<SystemMetricsStore>(nullptr, &m_workspace, clock());
        const SystemMetricsSnapshot fixed = sample.value_or(
            SystemMetricsSnapshot{62.0, CPUTemperatureSource::cpuDieHotspot, 18.0, 71.0, 8ull << 30,
                                  16ull << 30, SystemThermalState::nominal, m_now});
        store->setSamplerFactory([fixed] { return std::make_shared<FixedMetricsSampler>(fixed); });
        store->setPollingInterval(std::chrono::hours(1));
        return store;
    }

    IsolatedTheme m_theme;
    std::unique_ptr<FakeCodex> m_liveCodex;
};

} // namespace pulsegrove::testing
