#include "SamplerFixture.h"

#include <cstring>
#include <limits>

namespace pulsegrove::testing {
namespace {

class SmcReadTests : public SamplerFixture {};

TEST_F(SmcReadTests, ReadKeyCopiesInfoAndBytesIntoAZeroedRecord)
{
    const uint8_t bytes[] = {0x2D, 0x80, 0x11};
    installSmc({pg_fake_smc_raw_key("TC0D", "sp78", bytes, 3)});
    auto *state = connectedState();

    pg_smc_key_record record;
    std::memset(&record, 0xAB, sizeof record);
    ASSERT_EQ(pg_smc_read_key(state->smc_connection, "TC0D", &record), 0);
    EXPECT_EQ(record.key_info.data_size, 3u);
    EXPECT_EQ(record.key_info.data_type, 0x73703738u);
    EXPECT_EQ(std::memcmp(record.bytes, bytes, sizeof bytes), 0);
    EXPECT_EQ(record.result, 0);
    EXPECT_EQ(m_smc.call_count, 2u);
}

TEST_F(SmcReadTests, ReadKeyPassesFailuresOnAndTurnsResultBytesIntoTheGeneralError)
{
    auto failingInfo = pg_fake_smc_sp78_key("TAAA", 40);
    failingInfo.info_status = 0x1234;
    auto refusedInfo = pg_fake_smc_sp78_key("TBBB", 40);
    refusedInfo.info_result = 0x84;
    auto failingRead = pg_fake_smc_sp78_key("TCCC", 40);
    failingRead.read_status = 0x5678;
    auto refusedRead = pg_fake_smc_sp78_key("TDDD", 40);
    refusedRead.read_result = 1;
    installSmc({failingInfo, refusedInfo, failingRead, refusedRead});
    const auto connection = connectedState()->smc_connection;
    const auto generalError = static_cast<int32_t>(0xE00002BC);
    pg_smc_key_record record;

    EXPECT_EQ(pg_smc_read_key(connection, "TAAA", &record), 0x1234);
    EXPECT_EQ(pg_smc_read_key(connection, "TBBB", &record), generalError);
    EXPECT_EQ(pg_smc_read_key(connection, "TCCC", &record), 0x5678);
    EXPECT_EQ(pg_smc_read_key(connection, "TDDD", &record), generalError);
    EXPECT_EQ(pg_smc_read_key(connection, "NONE", &record), generalError);
    EXPECT_NE(pg_smc_read_key(0, "TAAA", &record), 0);
    EXPECT_NE(pg_smc_read_key(connection, "TA", &record), 0);
    EXPECT_NE(pg_smc_read_key(connection, "TAAA", nullptr), 0);
}

TEST_F(SmcReadTests, TemperatureDecodesEachTypeAndKeepsOnlyTheOpenIntervalTenToOneFifty)
{
    float nativeFloat = 55.0f;
    uint8_t native[4];
    std::memcpy(native, &nativeFloat, 4);
    const uint8_t swapped[] = {native[3], native[2], native[1], native[0]};
    const uint8_t sp78[] = {0x2D, 0x80}, ui16[] = {0x00, 0x30}, ui8[] = {72}, minus112[] = {0x90, 0x00};
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    const std::pair<pg_fake_smc_key, double> cases[] = {
        {pg_fake_smc_raw_key("Ta01", "sp78", sp78, 2), 45.5},
        {pg_fake_smc_raw_key("Ta02", "ui16", ui16, 2), 48.0},
        {pg_fake_smc_raw_key("Ta03", "ui8 ", ui8, 1), 72.0},
        {pg_fake_smc_raw_key("Ta04", "flt ", native, 4), 55.0},
        {pg_fake_smc_raw_key("Ta05", "flt ", swapped, 4), 0.0}, // not byte-swapped
        {pg_fake_smc_raw_key("Ta06", "sp78", minus112, 2), 0.0}, // 144 if taken unsigned
        {pg_fake_smc_raw_key("Ta07", "ui32", native, 4), 0.0}, // not a temperature type
        {pg_fake_smc_raw_key("Ta08", "sp78", sp78, 1), 0.0}, // shorter than the type
        {pg_fake_smc_raw_key("Ta09", "ui16", ui16, 1), 0.0},
        {pg_fake_smc_raw_key("Ta10", "ui8 ", ui8, 0), 0.0},
        {pg_fake_smc_raw_key("Ta11", "flt ", native, 3), 0.0},
        {pg_fake_smc_sp78_key("Ta12", 10.0), 0.0},
        {pg_fake_smc_sp78_key("Ta13", 10.5), 10.5},
        {pg_fake_smc_float_key("Ta14", 149.5f), 149.5},
        {pg_fake_smc_float_key("Ta15", 150.0f), 0.0},
        {pg_fake_smc_float_key("Ta16", nan), 0.0},
        {pg_fake_smc_float_key("Ta17", inf), 0.0},
    };
    std::vector<pg_fake_smc_key> keys;
    for (const auto &[key, expected] : cases)
        keys.push_back(key);
    installSmc(keys);
    const auto connection = connectedState()->smc_connection;

    for (const auto &[key, expected] : cases)
        EXPECT_DOUBLE_EQ(pg_smc_read_temperature(connection, key.key), expected) << key.key;
    EXPECT_DOUBLE_EQ(pg_smc_read_temperature(connection, "None"), 0.0);
}

TEST_F(SmcReadTests, OpeningFindsOnlyTheServiceOfThatClassAndHonoursOpenFailures)
{
    auto &smc = installSmc({}, "AppleSMCKeysEndpoint");
    EXPECT_EQ(pg_smc_open_matching("AppleSMC"), 0u);
    smc.open_status = 0x2C5;
    EXPECT_EQ(pg_smc_open_matching("AppleSMCKeysEndpoint"), 0u);
    EXPECT_EQ(smc.open_connections, 0u);
}

} // namespace
} // namespace pulsegrove::testing
