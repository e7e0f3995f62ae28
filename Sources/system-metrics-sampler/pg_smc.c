/* Temperature keys of the SMC: reading a key, decoding a temperature, and finding the keys this
 * machine has. */

#include "pg_io.h"
#include "pg_sampler_internal.h"

#include <math.h>
#include <string.h>

/* An SMC reporting more keys than this is taken to have this many: real ones have a few
 * thousand, and a corrupt count must not keep discovery busy for minutes. */
enum { PG_SMC_ENUMERATION_LIMIT = 8192 };

typedef struct pg_candidate_key {
    char key[5];
    int32_t source;
} pg_candidate_key;

/* Tried in order before any enumeration; the first valid one is the only key cached. */
static const pg_candidate_key pg_candidate_keys[] = {
    {"TCMz", 1}, {"TCMX", 1}, {"TCMb", 2}, {"TCDX", 2}, {"TC0D", 2}, {"TC0P", 3},
};

pg_io_connect_t pg_smc_open_matching(const pg_sampler_platform *platform, const char *class_name)
{
    pg_io_object_t service = pg_io_service_get_matching_service(platform, class_name);
    if (service == 0)
        return 0;
    pg_io_connect_t connection = 0;
    pg_io_return_t status = pg_io_service_open(service, 0, &connection);
    pg_io_object_release(service);
    return status == PG_IO_RETURN_SUCCESS ? connection : 0;
}

/* One struct-method call; a non-zero result byte counts as the general error. */
static pg_io_return_t pg_smc_call(pg_io_connect_t connection, const pg_smc_key_record *input,
                                  pg_smc_key_record *output)
{
    size_t output_size = sizeof *output;
    pg_io_return_t status = pg_io_connect_call_struct_method(connection, PG_SMC_STRUCT_METHOD, input,
                                                             sizeof *input, output, &output_size);
    if (status != PG_IO_RETURN_SUCCESS)
        return status;
    return output->result == 0 ? PG_IO_RETURN_SUCCESS : PG_IO_RETURN_ERROR;
}

pg_io_return_t pg_smc_read_key(pg_io_connect_t connection, const char *key, pg_smc_key_record *out)
{
    pg_smc_key_record input, output;
    if (out == NULL)
        return PG_IO_RETURN_BAD_ARGUMENT;
    memset(out, 0, sizeof *out);
    if (key == NULL || strnlen(key, 4) != 4)
        return PG_IO_RETURN_BAD_ARGUMENT;
    memset(&input, 0, sizeof input);
    memset(&output, 0, sizeof output);
    input.key = pg_smc_four_char_code(key);
    input.command = PG_SMC_COMMAND_READ_KEY_INFO;
    pg_io_return_t status = pg_smc_call(connection, &input, &output);
    if (status != PG_IO_RETURN_SUCCESS)
        return status;
    out->key_info = output.key_info;
    input.key_info.data_size = output.key_info.data_size;
    input.command = PG_SMC_COMMAND_READ_BYTES;
    memset(&output, 0, sizeof output);
    status = pg_smc_call(connection, &input, &output);
    if (status != PG_IO_RETURN_SUCCESS)
        return status;
    memcpy(out->bytes, output.bytes, sizeof out->bytes);
    return PG_IO_RETURN_SUCCESS;
}

/* The value of a key read by data type; 0.0 for an unknown type or too few bytes. */
static double pg_smc_decode(const pg_smc_key_record *record)
{
    uint32_t type = record->key_info.data_type, size = record->key_info.data_size;
    const uint8_t *bytes = record->bytes;
    if (type == pg_smc_four_char_code("sp78") && size >= 2) {
        int32_t raw = (int32_t)(((uint32_t)bytes[0] << 8) | bytes[1]);
        return (raw >= 0x8000 ? raw - 0x10000 : raw) / 256.0;
    }
    if (type == pg_smc_four_char_code("ui16") && size >= 2)
        return (double)(((uint32_t)bytes[0] << 8) | bytes[1]);
    if (type == pg_smc_four_char_code("ui8 ") && size >= 1)
        return (double)bytes[0];
    if (type == pg_smc_four_char_code("flt ") && size >= 4) {
        float value;
        memcpy(&value, bytes, sizeof value);
        return (double)value;
    }
    return 0.0;
}

double pg_smc_read_temperature(pg_io_connect_t connection, const char *key)
{
    pg_smc_key_record record;
    if (pg_smc_read_key(connection, key, &record) != PG_IO_RETURN_SUCCESS)
        return 0.0;
    double value = pg_smc_decode(&record);
    return isfinite(value) && value > 10.0 && value < 150.0 ? value : 0.0;
}

/* Keys that may hold a CPU temperature: "T" followed by one of c, e, f, p, or by "C" and then
 * "D", "M" or a digit. */
static int pg_is_temperature_key(const char key[5])
{
    if (key[0] != 'T' || key[1] < 'C' || key[1] > 'p')
        return 0;
    switch (key[1]) {
    case 'c':
    case 'e':
    case 'f':
    case 'p':
        return 1;
    case 'C':
        return key[2] == 'D' || key[2] == 'M' || (key[2] >= '0' && key[2] <= '9');
    default:
        return 0;
    }
}

/* The number of keys the SMC reports, or 0 when that cannot be read. */
static int32_t pg_smc_key_count(pg_io_connect_t connection)
{
    pg_smc_key_record record;
    if (pg_smc_read_key(connection, "#KEY", &record) != PG_IO_RETURN_SUCCESS)
        return 0;
    uint32_t count = ((uint32_t)record.bytes[0] << 24) | ((uint32_t)record.bytes[1] << 16) |
                     ((uint32_t)record.bytes[2] << 8) | record.bytes[3];
    if (count > INT32_MAX)
        return 0; /* negative as a signed count */
    return count > PG_SMC_ENUMERATION_LIMIT ? PG_SMC_ENUMERATION_LIMIT : (int32_t)count;
}

static int pg_smc_key_at_index(pg_io_connect_t connection, uint32_t index, char key[5])
{
    pg_smc_key_record input, output;
    memset(&input, 0, sizeof input);
    memset(&output, 0, sizeof output);
    input.command = PG_SMC_COMMAND_KEY_AT_INDEX;
    input.argument = index;
    if (pg_smc_call(connection, &input, &output) != PG_IO_RETURN_SUCCESS)
        return 0;
    pg_smc_four_char_text(output.key, key);
    return 1;
}

static void pg_cache_key(pg_system_metrics_sampler *state, const char *key)
{
    memcpy(state->temperature_keys[state->key_count], key, 4);
    state->temperature_keys[state->key_count][4] = '\0';
    ++state->key_count;
}

/* Every enumerated key that passes the filter and reads valid, up to the cache's capacity. */
static void pg_enumerate_temperature_keys(pg_system_metrics_sampler *state)
{
    int32_t count = pg_smc_key_count(state->smc_connection);
    char key[5];
    for (int32_t index = 0; index < count; ++index) {
        if (state->key_count >= PG_TEMPERATURE_KEY_CAPACITY)
            break;
        if (!pg_smc_key_at_index(state->smc_connection, (uint32_t)index, key) || !pg_is_temperature_key(key))
            continue;
        if (pg_smc_read_temperature(state->smc_connection, key) > 0.0)
            pg_cache_key(state, key);
    }
}

int pg_discover_temperature_key(pg_system_metrics_sampler *state)
{
    if (state == NULL)
        return 0;
    size_t candidates = sizeof pg_candidate_keys / sizeof pg_candidate_keys[0];
    for (size_t i = 0; i < candidates; ++i) {
        if (pg_smc_read_temperature(state->smc_connection, pg_candidate_keys[i].key) > 0.0) {
            state->key_count = 0;
            pg_cache_key(state, pg_candidate_keys[i].key);
            state->temperature_source = pg_candidate_keys[i].source;
            return 1;
        }
    }
    state->key_count = 0;
    pg_enumerate_temperature_keys(state);
    state->temperature_source = state->key_count > 0 ? 3 : 0;
    return state->key_count > 0;
}
