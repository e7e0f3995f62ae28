// What hostile files and reply lines cost with and without the bounds of SmallFileReader and
// BoundedJSONParser: time per operation and the most heap held during one (peak_MiB).
#include "HostileFile.h"
#include "TemporaryDirectory.h"
#include "foundation/BoundedJSONParser.h"
#include "foundation/SmallFileReader.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <fstream>
#include <malloc.h>
#include <new>
#include <sstream>

namespace {

// Heap held now and the most held since the last reset, counted by the global allocator below
// (the benchmarks run on one thread).
std::size_t heldBytes = 0;
std::size_t peakBytes = 0;

void *allocate(std::size_t size)
{
    void *memory = std::malloc(size == 0 ? 1 : size);
    if (!memory)
        throw std::bad_alloc();
    heldBytes += malloc_usable_size(memory);
    peakBytes = std::max(peakBytes, heldBytes);
    return memory;
}

void release(void *memory) noexcept
{
    if (!memory)
        return;
    heldBytes -= malloc_usable_size(memory);
    std::free(memory);
}

// Runs one operation per iteration and reports the most heap any one of them held above what
// was held before it.
template <typename Operation> void measure(benchmark::State &state, Operation operation)
{
    double peak = 0;
    for (auto _ : state) {
        const std::size_t before = heldBytes;
        peakBytes = heldBytes;
        benchmark::DoNotOptimize(operation());
        peak = std::max(peak, static_cast<double>(peakBytes - before));
    }
    state.counters["peak_MiB"] = peak / (1024.0 * 1024.0);
}

// The longest reply line the line reader takes, or a cache file just under the old 4 MiB cap,
// made of openings alone; and a balanced one of the same length.
const std::string openings(1024 * 1024 - 1, '[');
const std::string balanced = std::string(512 * 1024, '[') + std::string(512 * 1024, ']');

void BM_ParseOpenings_Unbounded(benchmark::State &state)
{
    measure(state, [] { return nlohmann::json::parse(openings, nullptr, false).is_discarded(); });
}

void BM_ParseOpenings_Bounded(benchmark::State &state)
{
    measure(state, [] { return pulsegrove::BoundedJSONParser::parse(openings).status; });
}

void BM_ParseBalanced_Unbounded(benchmark::State &state)
{
    measure(state, [] { return nlohmann::json::parse(balanced, nullptr, false).is_discarded(); });
}

void BM_ParseBalanced_Bounded(benchmark::State &state)
{
    measure(state, [] { return pulsegrove::BoundedJSONParser::parse(balanced).status; });
}

// A typical reply: the parser's bound must cost next to nothing on the common path.
const std::string reply =
    R"({"id":1,"result":{"rateLimits":{"primary":{"usedPercent":42,"windowDurationMins":300,)"
    R"("resetsAt":1767225600},"secondary":{"usedPercent":7,"windowDurationMins":10080,)"
    R"("resetsAt":1767830400},"planType":"plus"}}})";

void BM_ParseReply_Unbounded(benchmark::State &state)
{
    measure(state, [] { return nlohmann::json::parse(reply, nullptr, false).is_discarded(); });
}

void BM_ParseReply_Bounded(benchmark::State &state)
{
    measure(state, [] { return pulsegrove::BoundedJSONParser::parse(reply).status; });
}

// Reading a file of 1 GiB (sparse, so it takes no disk): whole, as a plain stream read does,
// and through the reader with the preferences' cap of 1 MiB.
struct SparseGigabyte {
    pulsegrove::testing::TemporaryDirectory folder;
    std::filesystem::path path = folder.path() / "suite.json";
    SparseGigabyte()
    {
        pulsegrove::testing::HostileFile::place(pulsegrove::testing::HostileFile::Kind::sparseGigabyte, path);
    }
};

void BM_ReadSparseGigabyte_Stream(benchmark::State &state)
{
    const SparseGigabyte file;
    measure(state, [&] {
        std::ifstream stream(file.path, std::ios::binary);
        std::ostringstream content;
        content << stream.rdbuf();
        return content.str().size();
    });
}

void BM_ReadSparseGigabyte_Capped(benchmark::State &state)
{
    const SparseGigabyte file;
    measure(state, [&] { return pulsegrove::SmallFileReader::read(file.path, 1024 * 1024).status; });
}

// The everyday case: a preference suite of a few hundred bytes.
void BM_ReadSmallFile(benchmark::State &state)
{
    const pulsegrove::testing::TemporaryDirectory folder;
    const auto path = folder.writeFile("suite.json", R"({"theme": "violet", "hiddenModules": ["spark"]})");
    measure(state, [&] { return pulsegrove::SmallFileReader::read(path, 1024 * 1024).content.size(); });
}

} // namespace

void *operator new(std::size_t size)
{
    return allocate(size);
}
void *operator new[](std::size_t size)
{
    return allocate(size);
}
void operator delete(void *memory) noexcept
{
    release(memory);
}
void operator delete[](void *memory) noexcept
{
    release(memory);
}
void operator delete(void *memory, std::size_t) noexcept
{
    release(memory);
}
void operator delete[](void *memory, std::size_t) noexcept
{
    release(memory);
}

BENCHMARK(BM_ParseOpenings_Unbounded)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseOpenings_Bounded)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ParseBalanced_Unbounded)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseBalanced_Bounded)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ParseReply_Unbounded)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ParseReply_Bounded)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadSparseGigabyte_Stream)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_ReadSparseGigabyte_Capped)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadSmallFile)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
