#include "SamplerFixture.h"

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
    // Kept: "C" then a digit, "D" or "M", and "c", "e", "f" and "p". Skipped: "C" then another letter,
    // another letter in range, below "C", above "p", and a key that is no temperature.
    std::vector<pg_fake_smc_key> keys;
    for (const char *name : {"Tc01", "Tc02", "TC1C", "TCDd", "TCMa", "TCAC", "Tc0a", "Te0a", "Tf0a", "Tp0a",
                             "TG0a", "TB0a", "Tq0a", "FC0C"})
        keys.push_back(pg_fake_smc_sp78_key(name, 61.0));
    keys.push_back(pg_fake_smc_sp78_key("Tp0b", 9.0)); // passes the filter, reads invalid
    keys[0].index_status = 0x99;                       // the first index call fails, the second is refused:
    keys[1].index_result = 0x84;                       // enumeration goes on past both
    installSmc(keys);
    auto *state = connectedState();
    ASSERT_EQ(pg_discover_temperature_key(state), 1);
    EXPECT_EQ(cachedKeys(state),
              (std::vector<std::string>{"TC1C", "TCDd", "TCMa", "Tc0a", "Te0a", "Tf0a", "Tp0a"}));
    EXPECT_EQ(state->temperature_source, 3);
}

TEST_F(DiscoveryTests, EnumerationStopsAtSixtyFourKeys)
{
    std::vector<std::string> names;
    std::vector<pg_fake_smc_key> keys;
    for (int i = 10; i < 90; ++i)
        keys.push_back(pg_fake_smc_sp78_key(names.emplace_back("Tp" + std::to_string(i)).c_str(), 40.0 + i / 4.0));
    installSmc(keys);
    auto *state = connectedState();
    ASSERT_EQ(pg_discover_temperature_key(state), 1);
    ASSERT_EQ(state->key_count, 64);
    EXPECT_EQ(cachedKeys(state), std::vector(names.begin(), names.begin() + 64));
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
