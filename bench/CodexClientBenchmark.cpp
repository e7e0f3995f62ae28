// How long one quota refresh costs against a codex stand-in that answers at once, split into its
// phases, and how fast a large rate-limits answer decodes.

#include "FakeCodex.h"
#include "quota/CodexAppServerProcess.h"
#include "quota/CodexExecutableSearch.h"
#include "quota/CodexRateLimitClient.h"
#include "quota/JSONLineReader.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <nlohmann/json.hpp>

using namespace pulsegrove;
using pulsegrove::testing::FakeCodex;

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void BM_Fetch(benchmark::State &state)
{
    FakeCodex fake(FakeCodex::answering());
    const CodexRateLimitClient client(fake.environment());
    for (auto _ : state)
        benchmark::DoNotOptimize(client.fetch().get());
}
BENCHMARK(BM_Fetch)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);

// The same call with its phases timed one by one: start the child, run the exchange (writes,
// replies, decoding), stop and reap the child.
void BM_FetchPhases(benchmark::State &state)
{
    FakeCodex fake(FakeCodex::answering());
    const auto executable = CodexExecutableSearch::resolveExecutable(fake.environment());
    const auto deadline = [] { return Clock::now() + std::chrono::seconds(8); };
    double spawn = 0, exchange = 0, stop = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        CodexAppServerProcess process(executable, {});
        spawn += millisecondsSince(start);

        start = Clock::now();
        JSONLineReader reader(process.outputDescriptor(), {});
        process.write(CodexRateLimitClient::initializeMessage());
        CodexRateLimitClient::waitForResponse(0, reader, deadline());
        process.write(CodexRateLimitClient::initializedNotification());
        process.write(CodexRateLimitClient::rateLimitsRequest());
        const auto result = CodexRateLimitClient::waitForResponse(1, reader, deadline());
        benchmark::DoNotOptimize(QuotaSnapshot(CodexRateLimitClient::decodeResponse(result), Date::now()));
        exchange += millisecondsSince(start);

        start = Clock::now();
        process.stop();
        stop += millisecondsSince(start);
    }
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["spawn_ms"] = spawn / iterations;
    state.counters["exchange_ms"] = exchange / iterations;
    state.counters["stop_ms"] = stop / iterations;
}
BENCHMARK(BM_FetchPhases)->Unit(benchmark::kMillisecond)->UseRealTime();

// A refresh whose codex answers, then moves out of its process group, ignores SIGTERM and would
// stay 30 s: what it costs is the stop, at the product's own graces.
void BM_FetchWithChildThatLeftItsGroup(benchmark::State &state)
{
    FakeCodex fake({"leave-group", "ignore-term", "expect", "send " + FakeCodex::initializeReply(), "expect",
                    "expect", "send " + FakeCodex::rateLimitsReply(FakeCodex::sampleResult()), "sleep 30000"});
    const CodexRateLimitClient client(fake.environment());
    for (auto _ : state)
        benchmark::DoNotOptimize(client.fetch().get());
}
BENCHMARK(BM_FetchWithChildThatLeftItsGroup)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// About 100 KB: many limits and many credits.
std::string largeResult()
{
    nlohmann::json limits = nlohmann::json::object();
    for (int i = 0; i < 300; ++i) {
        limits["limit-" + std::to_string(i)] = {
            {"limitId", "limit-" + std::to_string(i)},
            {"limitName", "Model " + std::to_string(i)},
            {"planType", "pro"},
            {"primary",
             {{"usedPercent", i % 100}, {"windowDurationMins", 300}, {"resetsAt", 1700000000 + i}}},
            {"secondary",
             {{"usedPercent", i % 37}, {"windowDurationMins", 10080}, {"resetsAt", 1700500000 + i}}}};
    }
    nlohmann::json credits = nlohmann::json::array();
    for (int i = 0; i < 800; ++i)
        credits.push_back({{"status", i % 3 ? "available" : "used"}, {"expiresAt", 1701000000 + i * 60}});
    return nlohmann::json{{"rateLimits", limits["limit-0"]},
                          {"rateLimitsByLimitId", limits},
                          {"rateLimitResetCredits", {{"availableCount", 600}, {"credits", credits}}}}
        .dump();
}

void BM_DecodeLargeResponse(benchmark::State &state)
{
    const std::string text = largeResult();
    for (auto _ : state) {
        const auto response = CodexRateLimitClient::decodeResponse(nlohmann::json::parse(text));
        benchmark::DoNotOptimize(QuotaSnapshot(response, Date::now()));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
    state.counters["document_bytes"] = static_cast<double>(text.size());
}
BENCHMARK(BM_DecodeLargeResponse)->Unit(benchmark::kMicrosecond);

// The two halves of the above: the JSON parser's own work on the reply line, and building the
// models from the parsed document.
void BM_ParseOnly(benchmark::State &state)
{
    const std::string text = largeResult();
    for (auto _ : state)
        benchmark::DoNotOptimize(nlohmann::json::parse(text));
}
BENCHMARK(BM_ParseOnly)->Unit(benchmark::kMicrosecond);

void BM_DecodeOnly(benchmark::State &state)
{
    const auto document = nlohmann::json::parse(largeResult());
    for (auto _ : state)
        benchmark::DoNotOptimize(CodexRateLimitClient::decodeResponse(document));
}
BENCHMARK(BM_DecodeOnly)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
