// What one preference setter costs the thread that calls it (the interface's thread): on a
// quiet disk, and while another process holds the suite's lock, which stands for a slow disk or
// network home (every write then waits for the lock). Time per call; asserts nothing.
#include "TemporaryDirectory.h"
#include "UserDefaults.h"

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

using namespace pulsegrove;

class SuiteFixture {
public:
    SuiteFixture()
        : m_defaults("io.velorn.Pulsegrove.bench",
                     Environment({{"XDG_CONFIG_HOME", m_folder.path().string()}}))
    {
        m_defaults.setString("warm", "up");
        UserDefaults::flushAll();
    }
    ~SuiteFixture() { UserDefaults::flushAll(); }
    UserDefaults &defaults() { return m_defaults; }
    // Holds the suite's lock through a descriptor of its own, as another process would: flock
    // locks belong to the open file, so the suite's writer cannot take it either.
    int holdLock()
    {
        const auto lockFile = m_defaults.fileURL().string() + ".lock";
        const int descriptor = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        ::flock(descriptor, LOCK_EX);
        return descriptor;
    }

private:
    pulsegrove::testing::TemporaryDirectory m_folder;
    UserDefaults m_defaults;
};

void setterOnQuietDisk(benchmark::State &state)
{
    SuiteFixture fixture;
    bool value = false;
    for (auto _ : state)
        benchmark::DoNotOptimize(fixture.defaults().setBool("flag", value = !value));
}
BENCHMARK(setterOnQuietDisk)->Unit(benchmark::kMicrosecond);

void setterWhileTheLockIsHeldElsewhere(benchmark::State &state)
{
    SuiteFixture fixture;
    const int lock = fixture.holdLock();
    bool value = false;
    for (auto _ : state)
        benchmark::DoNotOptimize(fixture.defaults().setBool("flag", value = !value));
    ::close(lock);
}
BENCHMARK(setterWhileTheLockIsHeldElsewhere)->Unit(benchmark::kMicrosecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
