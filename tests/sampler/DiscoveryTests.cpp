#include "SamplerFixture.h"

#include <cstdio>

namespace pulsegrove::testing {
namespace {

class DiscoveryTests : public SamplerFixture {};

TEST_F(DiscoveryTests, FirstValidCandidateWinsEvenWhenALaterOneReadsHigher)
{
    const std::pair<std::vector<pg_fake_smc_key>, std::pair<std::string, int32_t>> cases[] = {
        {{pg_fake_smc_sp78_key("TCMz", 50.0), pg_fake_smc_sp78_key("TCMX", 70.0)}, {"TCMz", 1}},
        {{pg_fake_smc_sp78_key("TCMz", 5.0), pg_fake_smc_float_key("TCMX", 150.0f), pg_fake_smc_sp78_key("TCMb", 52.0),
          pg_fake_smc_sp78_key("TC0D", 80.0), pg_fake_smc_sp78_key("Tp01", 90.0)},
         {"TCMb", 2}},
        {{pg_fake_smc_sp78_key("TC0P", 60.0), pg_fake_smc_sp78_key("Tp01", 90.0)}, {"TC0P", 3}},
    };
    for (const auto &[keys, expected] : cases) {
        installSmc(keys);
        auto *state = connectedState();
        ASSERT_EQ(pg_discover_temperature_key(state), 1);
        EXPECT_EQ(cachedKeys(state), std::vector<std::string>{expected.first});
        EXPECT_EQ(state->temperature_source, expected.second) << expected.first;
    }
}

TEST_F(DiscoveryTests, EnumerationKeepsEveryValidKeyThatPassesTheFilter)
{
    auto failingIndex = pg_fake_smc_sp78_key("Tc01", 50.0);
    failingIndex.index_status = 0x99;
    auto refusedIndex = pg_fake_smc_sp78_key("Tc02", 50.0);
    refusedIndex.index_result = 0x84;
    installSmc({
        pg_fake_smc_sp78_key("TC1C", 61.0), // C then a digit
        pg_fake_smc_sp78_key("TCDd", 62.0), // C then D
        pg_fake_smc_sp78_key("TCMa", 63.0), // C then M
        pg_fake_smc_sp78_key("TCAC", 64.0), // C then another letter: skipped
        pg_fake_smc_sp78_key("Tc0a", 65.0),
        pg_fake_smc_sp78_key("Te0a", 66.0),
        pg_fake_smc_sp78_key("Tf0a", 67.0),
        pg_fake_smc_sp78_key("Tp0a", 68.0),
        pg_fake_smc_sp78_key("TG0a", 69.0), // another letter in range: skipped
        pg_fake_smc_sp78_key("TB0a", 70.0), // below "C": skipped
        pg_fake_smc_sp78_key("Tq0a", 71.0), // above "p": skipped
        pg_fake_smc_sp78_key("FC0C", 72.0), // not a temperature key
        pg_fake_smc_sp78_key("Tp0b", 9.0),  // passes the filter, reads invalid
        failingIndex,
        refusedIndex,
    });
    auto *state = connectedState();

    ASSERT_EQ(pg_discover_temperature_key(state), 1);
    EXPECT_EQ(cachedKeys(state),
              (std::vector<std::string>{"TC1C", "TCDd", "TCMa", "Tc0a", "Te0a", "Tf0a", "Tp0a"}));
    EXPECT_EQ(state->temperature_source, 3);
}

TEST_F(DiscoveryTests, EnumerationStopsAtSixtyFourKeys)
{
    std::vector<pg_fake_smc_key> keys;
    char name[5];
    for (int i = 0; i < 80; ++i) {
        std::snprintf(name, sizeof name, "Tp%02d", i);
        keys.push_back(pg_fake_smc_sp78_key(name, 40.0 + i / 4.0));
    }
    installSmc(keys);
    auto *state = connectedState();

    ASSERT_EQ(pg_discover_temperature_key(state), 1);
    ASSERT_EQ(state->key_count, 64);
    EXPECT_EQ(cachedKeys(state).back(), "Tp63");
    EXPECT_EQ(state->temperature_source, 3);
}

TEST_F(DiscoveryTests, AnUnreadableNonPositiveOrAbsurdKeyCountCannotRunAway)
{
    const uint8_t negative[] = {0xFF, 0xFF, 0xFF, 0xFF}, zero[] = {0, 0, 0, 0}, huge[] = {0x7F, 0xFF, 0xFF, 0xFF};
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
    auto &smc = installSmc({pg_fake_smc_raw_key("#KEY", "ui32", huge, 4), pg_fake_smc_sp78_key("Tp00", 50.0)});
    auto *state = connectedState();
    EXPECT_EQ(pg_discover_temperature_key(state), 1);
    EXPECT_EQ(cachedKeys(state), std::vector<std::string>{"Tp00"});
    EXPECT_LE(smc.call_count, 20000u);
    EXPECT_EQ(pg_discover_temperature_key(nullptr), 0);
}

} // namespace
} // namespace pulsegrove::testing
