/* The scripted SMC that a test platform puts in place of the machine's sensors. */

#include "pg_smc_backend.h"
#include "pg_test_platform.h"

#include <math.h>
#include <string.h>

extern const pg_smc_backend pg_fake_smc_backend;

/* Up to four characters of a text; the target's fifth byte stays zero. */
static void pg_copy_four_chars(char target[5], const char *text)
{
    for (size_t i = 0; i < 4 && text != NULL && text[i] != '\0'; ++i)
        target[i] = text[i];
}

static pg_fake_smc_key pg_fake_smc_key_named(const char *key, const char *type, uint32_t size)
{
    pg_fake_smc_key result;
    memset(&result, 0, sizeof result);
    pg_copy_four_chars(result.key, key);
    pg_copy_four_chars(result.type, type);
    result.data_size = size;
    return result;
}

pg_fake_smc_key pg_fake_smc_sp78_key(const char *key, double celsius)
{
    pg_fake_smc_key result = pg_fake_smc_key_named(key, "sp78", 2);
    long raw = lround(celsius * 256.0);
    uint16_t bits = (uint16_t)(raw & 0xFFFF);
    result.data[0] = (uint8_t)(bits >> 8);
    result.data[1] = (uint8_t)bits;
    return result;
}

pg_fake_smc_key pg_fake_smc_float_key(const char *key, float celsius)
{
    pg_fake_smc_key result = pg_fake_smc_key_named(key, "flt ", 4);
    memcpy(result.data, &celsius, sizeof celsius);
    return result;
}

pg_fake_smc_key pg_fake_smc_raw_key(const char *key, const char *type, const uint8_t *bytes, uint32_t size)
{
    pg_fake_smc_key result = pg_fake_smc_key_named(key, type, size);
    if (bytes != NULL)
        memcpy(result.data, bytes, size < sizeof result.data ? size : sizeof result.data);
    return result;
}

static void *pg_fake_match(const pg_sampler_platform *platform, const char *class_name)
{
    pg_fake_smc *script = ((const pg_test_platform *)platform)->smc;
    if (script == NULL || script->service_class == NULL || strcmp(script->service_class, class_name) != 0)
        return NULL;
    return script;
}

static void pg_fake_release(void *service)
{
    (void)service;
}

static pg_io_return_t pg_fake_open(void *service, void **connection)
{
    pg_fake_smc *script = service;
    if (script->open_status != 0)
        return script->open_status;
    ++script->open_count;
    ++script->open_connections;
    *connection = script;
    return PG_IO_RETURN_SUCCESS;
}

static void pg_fake_close(void *connection)
{
    pg_fake_smc *script = connection;
    --script->open_connections;
}

static const pg_fake_smc_key *pg_fake_find(const pg_fake_smc *script, uint32_t code)
{
    for (size_t i = 0; i < script->key_count; ++i)
        if (pg_smc_four_char_code(script->keys[i].key) == code)
            return &script->keys[i];
    return NULL;
}

/* "#KEY" when the script does not name it: the number of keys, big-endian. */
static pg_io_return_t pg_fake_answer_key_count(const pg_fake_smc *script, const pg_smc_key_record *input,
                                               pg_smc_key_record *output)
{
    output->key = input->key;
    output->key_info.data_size = 4;
    output->key_info.data_type = pg_smc_four_char_code("ui32");
    if (input->command == PG_SMC_COMMAND_READ_BYTES) {
        uint32_t count = (uint32_t)script->key_count;
        output->bytes[0] = (uint8_t)(count >> 24);
        output->bytes[1] = (uint8_t)(count >> 16);
        output->bytes[2] = (uint8_t)(count >> 8);
        output->bytes[3] = (uint8_t)count;
    }
    return PG_IO_RETURN_SUCCESS;
}

static pg_io_return_t pg_fake_answer_key(const pg_fake_smc_key *key, const pg_smc_key_record *input,
                                         pg_smc_key_record *output)
{
    bool reads_bytes = input->command == PG_SMC_COMMAND_READ_BYTES;
    output->result = reads_bytes ? key->read_result : 0;
    output->key = input->key;
    output->key_info.data_size = key->data_size;
    output->key_info.data_type = pg_smc_four_char_code(key->type);
    if (reads_bytes)
        memcpy(output->bytes, key->data, sizeof output->bytes);
    return PG_IO_RETURN_SUCCESS;
}

static pg_io_return_t pg_fake_answer_index(const pg_fake_smc *script, uint32_t index,
                                           pg_smc_key_record *output)
{
    if (index >= script->key_count) {
        output->result = PG_SMC_RESULT_INDEX_OUT_OF_RANGE;
        return PG_IO_RETURN_SUCCESS;
    }
    output->key = pg_smc_four_char_code(script->keys[index].key);
    return PG_IO_RETURN_SUCCESS;
}

static pg_io_return_t pg_fake_call(void *connection, const pg_smc_key_record *input,
                                   pg_smc_key_record *output)
{
    pg_fake_smc *script = connection;
    ++script->call_count;
    switch (input->command) {
    case PG_SMC_COMMAND_KEY_AT_INDEX:
        return pg_fake_answer_index(script, input->argument, output);
    case PG_SMC_COMMAND_READ_KEY_INFO:
    case PG_SMC_COMMAND_READ_BYTES: {
        const pg_fake_smc_key *key = pg_fake_find(script, input->key);
        if (key != NULL)
            return pg_fake_answer_key(key, input, output);
        if (input->key == pg_smc_four_char_code("#KEY"))
            return pg_fake_answer_key_count(script, input, output);
        output->result = PG_SMC_RESULT_KEY_NOT_FOUND;
        return PG_IO_RETURN_SUCCESS;
    }
    default:
        output->result = PG_SMC_RESULT_BAD_COMMAND;
        return PG_IO_RETURN_SUCCESS;
    }
}

const pg_smc_backend pg_fake_smc_backend = {pg_fake_match, pg_fake_release, pg_fake_open, pg_fake_call,
                                            pg_fake_close};
