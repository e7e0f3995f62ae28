#include "SamplerFixture.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <limits>

namespace pulsegrove::testing {
namespace {

// The SMC's steps on their own: reading one key, and discovering which keys to read.
class SmcTests : public SamplerFixture {};

TEST_F(SmcTests, TemperatureDecodesEachTypeAndKeepsOnlyTheOpenIntervalTenToOneFifty)
{
    float nativeFloat = 55.0f;
    uint8_t native[4];
    std::memcpy(native, &nativeFloat, 4);
    const uint8_t swapped[] = {native[3], native[2], native[1], native[0]};
    const uint8_t sp78[] = {0x2D, 0x80}, ui16[] = {0x00, 0x30}, ui8[] = {72}, minus112[] = {0x90, 0x00};
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::pair<pg_fake_smc_key, double> cases[] = {
        {pg_fake_smc_raw_key("Ta01", "sp78", sp78, 2), 45.5},
        {pg_fake_smc_raw_key("Ta02", "ui16", ui16, 2), 48.0},
        {pg_fake_smc_raw_key("Ta03", "ui8 ", ui8, 1), 72.0},
        {pg_fake_smc_raw_key("Ta04", "flt ", native, 4), 55.0},
        {pg_fake_smc_raw_key("Ta05", "flt ", swapped, 4), 0.0},  // not byte-swapped
        {pg_fake_smc_raw_key("Ta06", "sp78", minus112, 2), 0.0}, // 144 if taken unsigned
        {pg_fake_smc_raw_key("Ta07", "ui32", native, 4), 0.0},   // not a temperature type
        {pg_fake_smc_raw_key("Ta08", "sp78", sp78, 1), 0.0},     // shorter than the type
        {pg_fake_smc_sp78_key("Ta12", 10.0), 0.0},
        {pg_fake_smc_sp78_key("Ta13", 10.5), 10.5},
        {pg_fake_smc_float_key("Ta14", 149.5f), 149.5},
        {pg_fake_smc_float_key("Ta15", 150.0f), 0.0},
        {pg_fake_smc_float_key("Ta16", nan), 0.0},
    };
    std::vector<pg_fake_smc_key> keys;
    std::transform(std::begin(cases), std::end(cases), std::back_inserter(keys),
                   [](auto &c) { return c.first; });
    installSmc(keys);
    const auto connection = connectedState()->smc_connection;

    for (const auto &[key, expected] : cases)
        EXPECT_DOUBLE_EQ(pg_smc_read_temperature(connection, key.key), expected) << key.key;
    EXPECT_DOUBLE_EQ(pg_smc_read_temperature(connection, "None"), 0.0);
    // No connection, a short key name or no record to fill is refused, not dereferenced.
    pg_smc_key_record record;
    EXPECT_NE(pg_smc_read_key(0, "Ta01", &record), 0);
    EXPECT_NE(pg_smc_read_key(connection, "Ta", &record), 0);
    EXPECT_NE(pg_smc_read_key(connection, "Ta01", nullptr), 0);
}

TEST_F(SmcTests, DiscoveryStopsAtSixtyFourKeys)
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

TEST_F(SmcTests, AnUnreadableNonPositiveOrAbsurdKeyCountCannotRunDiscoveryAway)
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
