#include "SamplerFixture.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <limits>

namespace pulsegrove::testing {
namespace {

class SmcReadTests : public SamplerFixture {};

TEST_F(SmcReadTests, ReadKeyFillsAZeroedRecordOrPassesFailuresOnAndTurnsResultBytesIntoTheGeneralError)
{
    const uint8_t bytes[] = {0x2D, 0x80, 0x11};
    auto failingInfo = pg_fake_smc_sp78_key("TAAA", 40), refusedInfo = pg_fake_smc_sp78_key("TBBB", 40);
    auto failingRead = pg_fake_smc_sp78_key("TCCC", 40), refusedRead = pg_fake_smc_sp78_key("TDDD", 40);
    failingInfo.info_status = 0x1234;
    refusedInfo.info_result = 0x84;
    failingRead.read_status = 0x5678;
    refusedRead.read_result = 1;
    installSmc(
        {pg_fake_smc_raw_key("TC0D", "sp78", bytes, 3), failingInfo, refusedInfo, failingRead, refusedRead});
    const auto connection = connectedState()->smc_connection;
    const auto generalError = static_cast<int32_t>(0xE00002BC);
    pg_smc_key_record record;
    std::memset(&record, 0xAB, sizeof record);
    m_smc.call_count = 0;
    ASSERT_EQ(pg_smc_read_key(connection, "TC0D", &record), 0);
    EXPECT_EQ(m_smc.call_count, 2u);
    EXPECT_EQ(record.key_info.data_size, 3u);
    EXPECT_EQ(record.key_info.data_type, 0x73703738u);
    EXPECT_EQ(std::memcmp(record.bytes, bytes, sizeof bytes), 0);
    EXPECT_EQ(record.result, 0);

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
    std::transform(std::begin(cases), std::end(cases), std::back_inserter(keys), [](auto &c) { return c.first; });
    installSmc(keys);
    const auto connection = connectedState()->smc_connection;

    for (const auto &[key, expected] : cases)
        EXPECT_DOUBLE_EQ(pg_smc_read_temperature(connection, key.key), expected) << key.key;
    EXPECT_DOUBLE_EQ(pg_smc_read_temperature(connection, "None"), 0.0);
}

} // namespace
} // namespace pulsegrove::testing
