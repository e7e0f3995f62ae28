#include "SamplerFixture.h"

namespace pulsegrove::testing {
namespace {

class DiscoveryTests : public SamplerFixture {};

TEST_F(DiscoveryTests, EnumerationStopsAtSixtyFourKeys)
{
    std::vector<std::string> names;
    std::vector<pg_fake_smc_key> keys;
    for (int i = 10; i < 90; ++i)
        keys.push_back(
            pg_fake_smc_sp78_key(names.emplace_back("Tp" + std::to_string(i)).c_str(), 40.0 + i / 4.0));
    installSmc(keys);
    auto *state = connectedState();
    ASSERT_EQ(pg_discover_temperature_key(state), 1);
    ASSERT_EQ(state->key_count, 64);
    EXPECT_EQ(cachedKeys(state), std::vector(names.begin(), names.begin() + 64));
}

TEST_F(DiscoveryTests, AnUnreadableNonPositiveOrAbsurdKeyCountCannotRunAway)
{
    const uint8_t negative[] = {0xFF, 0xFF, 0xFF, 0xFF}, zero[] = {0, 0, 0, 0},
                  huge[] = {0x7F, 0xFF, 0xFF, 0xFF};
    auto failing = pg_fake_smc_raw_key("#KEY", "ui32", zero, 4);
    failing.read_result = 1;
    for (const auto &count : {pg_fake_smc_raw_key("#KEY", "ui32", negative, 4),
                              pg_fake_smc_raw_key("#KEY", "ui32", zero, 4), failing}) {
        auto &smc = installSmc({count, pg_fake_smc_sp78_key("Tp00", 50.0)});
        auto *state = connectedState();
        state->key_count = 3; // left from an earlier discovery
        state->temperature_source = 2;
        EXPECT_EQ(pg_discover_temperature_key(state), 0);
        EXPECT_EQ(state->key_count, 0);
        EXPECT_EQ(state->temperature_source, 0);
        // One refused key-info call per missing candidate, then the count's two calls.
        EXPECT_EQ(smc.call_count, 6u + 2u) << "no enumeration";
    }

    // A corrupt count of two billion keys must not keep discovery busy for minutes.
    auto &smc =
        installSmc({pg_fake_smc_raw_key("#KEY", "ui32", huge, 4), pg_fake_smc_sp78_key("Tp00", 50.0)});
    auto *state = connectedState();
    EXPECT_EQ(pg_discover_temperature_key(state), 1);
    EXPECT_EQ(cachedKeys(state), std::vector<std::string>{"Tp00"});
    EXPECT_LE(smc.call_count, 20000u);
    EXPECT_EQ(pg_discover_temperature_key(nullptr), 0);
}

} // namespace
} // namespace pulsegrove::testing
