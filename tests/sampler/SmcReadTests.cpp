#include "SamplerFixture.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace pulsegrove::testing {
namespace {

class SmcReadTests : public SamplerFixture {};

TEST_F(SmcReadTests, ReadKeyCopiesInfoAndBytesOfTheKey)
{
    const uint8_t bytes[] = {0x2D, 0x80, 0x11};
    installSmc({pg_fake_smc_raw_key("TC0D", "sp78", bytes, 3)});
    auto *state = connectedState();

    pg_smc_key_record record;
    std::memset(&record, 0xAB, sizeof record);
    ASSERT_EQ(pg_smc_read_key(state->smc_connection, "TC0D", &record), 0);
    EXPECT_EQ(record.key_info.data_size, 3u);
    EXPECT_EQ(record.key_info.data_type, 0x73703738u);
    EXPECT_EQ(record.bytes[0], 0x2D);
    EXPECT_EQ(record.bytes[2], 0x11);
    EXPECT_EQ(record.result, 0); // the rest of the caller's record is zeroed
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
    auto *state = connectedState();
    pg_smc_key_record record;

    EXPECT_EQ(pg_smc_read_key(state->smc_connection, "TAAA", &record), 0x1234);
    EXPECT_EQ(pg_smc_read_key(state->smc_connection, "TBBB", &record), static_cast<int32_t>(0xE00002BC));
    EXPECT_EQ(pg_smc_read_key(state->smc_connection, "TCCC", &record), 0x5678);
    EXPECT_EQ(pg_smc_read_key(state->smc_connection, "TDDD", &record), static_cast<int32_t>(0xE00002BC));
    EXPECT_EQ(pg_smc_read_key(state->smc_connection, "NONE", &record), static_cast<int32_t>(0xE00002BC));
    EXPECT_NE(pg_smc_read_key(0, "TAAA", &record), 0);
    EXPECT_NE(pg_smc_read_key(state->smc_connection, "TA", &record), 0);
    EXPECT_NE(pg_smc_read_key(state->smc_connection, nullptr, &record), 0);
    EXPECT_NE(pg_smc_read_key(state->smc_connection, "TAAA", nullptr), 0);
}

TEST_F(SmcReadTests, TemperatureDecodesEachDataType)
{
    const uint8_t sp78[] = {0x2D, 0x80};
    const uint8_t ui16[] = {0x00, 0x30};
    const uint8_t ui8[] = {72};
    const uint8_t negative[] = {0xE0, 0x00};
    const uint8_t unknown[] = {0, 0, 0, 50};
    installSmc({pg_fake_smc_raw_key("Ta01", "sp78", sp78, 2), pg_fake_smc_raw_key("Ta02", "ui16", ui16, 2),
                pg_fake_smc_raw_key("Ta03", "ui8 ", ui8, 1), pg_fake_smc_float_key("Ta04", 61.25f),
                pg_fake_smc_raw_key("Ta05", "sp78", negative, 2),
                pg_fake_smc_raw_key("Ta06", "ui32", unknown, 4)});
    auto *state = connectedState();
    auto read = [&](const char *key) { return pg_smc_read_temperature(state->smc_connection, key); };

    EXPECT_DOUBLE_EQ(read("Ta01"), 45.5);
    EXPECT_DOUBLE_EQ(read("Ta02"), 48.0);
    EXPECT_DOUBLE_EQ(read("Ta03"), 72.0);
    EXPECT_DOUBLE_EQ(read("Ta04"), 61.25);
    EXPECT_DOUBLE_EQ(read("Ta05"), 0.0); // -32 °C
    EXPECT_DOUBLE_EQ(read("Ta06"), 0.0);
    EXPECT_DOUBLE_EQ(read("None"), 0.0);
}

TEST_F(SmcReadTests, FloatIsTakenInNativeByteOrder)
{
    float value = 55.0f;
    uint8_t native[4];
    std::memcpy(native, &value, 4);
    const uint8_t swapped[] = {native[3], native[2], native[1], native[0]};
    installSmc(
        {pg_fake_smc_raw_key("Ta01", "flt ", native, 4), pg_fake_smc_raw_key("Ta02", "flt ", swapped, 4)});
    auto *state = connectedState();

    EXPECT_DOUBLE_EQ(pg_smc_read_temperature(state->smc_connection, "Ta01"), 55.0);
    EXPECT_DOUBLE_EQ(pg_smc_read_temperature(state->smc_connection, "Ta02"), 0.0);
}

TEST_F(SmcReadTests, TemperatureMustLieStrictlyBetweenTenAndOneHundredFifty)
{
    installSmc({pg_fake_smc_sp78_key("Ta01", 10.0), pg_fake_smc_float_key("Ta02", 150.0f),
                pg_fake_smc_sp78_key("Ta03", 10.5), pg_fake_smc_float_key("Ta04", 149.5f),
                pg_fake_smc_float_key("Ta05", std::numeric_limits<float>::quiet_NaN()),
                pg_fake_smc_float_key("Ta06", std::numeric_limits<float>::infinity())});
    auto *state = connectedState();
    auto read = [&](const char *key) { return pg_smc_read_temperature(state->smc_connection, key); };

    EXPECT_DOUBLE_EQ(read("Ta01"), 0.0);
    EXPECT_DOUBLE_EQ(read("Ta02"), 0.0);
    EXPECT_DOUBLE_EQ(read("Ta03"), 10.5);
    EXPECT_DOUBLE_EQ(read("Ta04"), 149.5);
    EXPECT_DOUBLE_EQ(read("Ta05"), 0.0);
    EXPECT_DOUBLE_EQ(read("Ta06"), 0.0);
}

TEST_F(SmcReadTests, ValuesShorterThanTheirTypeAreInvalid)
{
    const uint8_t bytes[] = {0x2D, 0x80, 0, 0};
    installSmc({pg_fake_smc_raw_key("Ta01", "sp78", bytes, 1), pg_fake_smc_raw_key("Ta02", "ui16", bytes, 1),
                pg_fake_smc_raw_key("Ta03", "ui8 ", bytes, 0),
                pg_fake_smc_raw_key("Ta04", "flt ", bytes, 3)});
    auto *state = connectedState();

    for (const char *key : {"Ta01", "Ta02", "Ta03", "Ta04"})
        EXPECT_DOUBLE_EQ(pg_smc_read_temperature(state->smc_connection, key), 0.0) << key;
}

TEST_F(SmcReadTests, OpeningFindsOnlyTheScriptedClassAndHonoursOpenFailures)
{
    auto &smc = installSmc({}, "AppleSMCKeysEndpoint");
    EXPECT_EQ(pg_smc_open_matching("AppleSMC"), 0u);
    EXPECT_EQ(pg_smc_open_matching(nullptr), 0u);
    smc.open_status = 0x2C5;
    EXPECT_EQ(pg_smc_open_matching("AppleSMCKeysEndpoint"), 0u);
    smc.open_status = 0;
    auto *state = connectedState();
    EXPECT_NE(state->smc_connection, 0u);
    EXPECT_EQ(smc.open_connections, 1u);
}

} // namespace
} // namespace pulsegrove::testing
