/* The SMC as the machine's temperature sensors: the service "AppleSMC" exists while at least one
 * CPU sensor does; its keys are those of pg_linux_sensors, typed "sp78" and read afresh from sysfs
 * by every read-bytes command, and "#KEY" counts them. */

#include "pg_linux_sensors.h"
#include "pg_smc_backend.h"

#include <stdlib.h>
#include <string.h>

typedef struct pg_linux_smc {
    pg_linux_sensor_table table;
} pg_linux_smc;

static void *pg_linux_match(const pg_sampler_platform *platform, const char *class_name)
{
    if (strcmp(class_name, "AppleSMC") != 0)
        return NULL;
    pg_linux_smc *service = malloc(sizeof *service);
    if (service == NULL)
        return NULL;
    pg_linux_sensors_scan(platform, &service->table);
    if (service->table.count == 0) {
        free(service);
        return NULL;
    }
    return service;
}

static void pg_linux_release(void *service)
{
    pg_linux_smc *smc = service;
    pg_linux_sensors_clear(&smc->table);
    free(smc);
}

/* The connection takes over the sensors the service found. */
static pg_io_return_t pg_linux_open(void *service, void **connection)
{
    pg_linux_smc *smc = service;
    if (smc->table.count == 0)
        return PG_IO_RETURN_NOT_FOUND;
    pg_linux_smc *opened = malloc(sizeof *opened);
    if (opened == NULL)
        return PG_IO_RETURN_NO_RESOURCES;
    opened->table = smc->table;
    memset(&smc->table, 0, sizeof smc->table);
    *connection = opened;
    return PG_IO_RETURN_SUCCESS;
}

static void pg_linux_close(void *connection)
{
    pg_linux_release(connection);
}

static void pg_put_big_endian(uint8_t *bytes, uint32_t value, size_t width)
{
    for (size_t i = 0; i < width; ++i)
        bytes[i] = (uint8_t)(value >> (8 * (width - 1 - i)));
}

/* Millidegrees as "sp78": signed, 8 fraction bits, rounded. "sp78" stops short of 128 degrees, so
 * a reading beyond its range is refused rather than clamped into a plausible-looking value. */
static int pg_sp78_from_millidegrees(int64_t millidegrees, uint16_t *sp78)
{
    if (millidegrees >= 128000 || millidegrees <= -128000)
        return 0;
    int64_t scaled = millidegrees * 256;
    int64_t raw = (scaled + (scaled >= 0 ? 500 : -500)) / 1000;
    if (raw > 32767)
        raw = 32767;
    *sp78 = (uint16_t)(raw & 0xFFFF);
    return 1;
}

static const pg_linux_sensor *pg_linux_find(const pg_linux_smc *smc, uint32_t key)
{
    for (size_t i = 0; i < smc->table.count; ++i)
        if (smc->table.sensors[i].key == key)
            return &smc->table.sensors[i];
    return NULL;
}

static void pg_linux_answer_key(const pg_linux_smc *smc, const pg_smc_key_record *input,
                                pg_smc_key_record *output)
{
    output->key = input->key;
    if (input->key == pg_smc_four_char_code("#KEY")) {
        output->key_info.data_size = 4;
        output->key_info.data_type = pg_smc_four_char_code("ui32");
        if (input->command == PG_SMC_COMMAND_READ_BYTES)
            pg_put_big_endian(output->bytes, (uint32_t)smc->table.count, 4);
        return;
    }
    const pg_linux_sensor *sensor = pg_linux_find(smc, input->key);
    if (sensor == NULL) {
        output->result = PG_SMC_RESULT_KEY_NOT_FOUND;
        return;
    }
    output->key_info.data_size = 2;
    output->key_info.data_type = pg_smc_four_char_code("sp78");
    if (input->command != PG_SMC_COMMAND_READ_BYTES)
        return;
    /* A sensor that vanished or reads nonsense answers with an error, which the caller counts as
     * an invalid reading. */
    int64_t millidegrees = 0;
    uint16_t sp78 = 0;
    if (pg_linux_sensor_read(sensor, &millidegrees) && pg_sp78_from_millidegrees(millidegrees, &sp78))
        pg_put_big_endian(output->bytes, sp78, 2);
    else
        output->result = PG_SMC_RESULT_ERROR;
}

static pg_io_return_t pg_linux_call(void *connection, const pg_smc_key_record *input,
                                    pg_smc_key_record *output)
{
    const pg_linux_smc *smc = connection;
    switch (input->command) {
    case PG_SMC_COMMAND_KEY_AT_INDEX:
        if (input->argument < smc->table.count)
            output->key = smc->table.sensors[input->argument].key;
        else
            output->result = PG_SMC_RESULT_INDEX_OUT_OF_RANGE;
        break;
    case PG_SMC_COMMAND_READ_KEY_INFO:
    case PG_SMC_COMMAND_READ_BYTES:
        pg_linux_answer_key(smc, input, output);
        break;
    default:
        output->result = PG_SMC_RESULT_BAD_COMMAND;
        break;
    }
    return PG_IO_RETURN_SUCCESS;
}

const pg_smc_backend pg_linux_smc_backend = {pg_linux_match, pg_linux_release, pg_linux_open, pg_linux_call,
                                             pg_linux_close};
