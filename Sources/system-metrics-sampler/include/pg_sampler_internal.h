#pragma once

/* The sampler's state record, the SMC key record it exchanges with the SMC user client, and
 * the sampler's internal steps. Exposed so tests can drive each step on its own. */

#include "pg_sampler_platform.h"
#include "pg_system_metrics_sampler.h"

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef uint32_t pg_io_connect_t; /* 0 = not open */
typedef int32_t pg_io_return_t;   /* 0 = success */

enum {
    PG_TEMPERATURE_KEY_CAPACITY = 64,
    /* Seconds to wait before the next SMC attempt after an open or discovery failure, and
     * after a sample in which every cached key read invalid. */
    PG_SMC_RETRY_AFTER_FAILURE = 60,
    PG_SMC_RETRY_AFTER_INVALID_KEYS = 3,
    /* The SMC user client's struct method and its commands. */
    PG_SMC_STRUCT_METHOD = 2,
    PG_SMC_COMMAND_READ_BYTES = 5,
    PG_SMC_COMMAND_KEY_AT_INDEX = 8,
    PG_SMC_COMMAND_READ_KEY_INFO = 9,
};

#define PG_IO_RETURN_SUCCESS ((pg_io_return_t)0)
/* The general error, also given when the SMC answers with a non-zero result byte. */
#define PG_IO_RETURN_ERROR ((pg_io_return_t)0xE00002BCu)

struct pg_system_metrics_sampler {
    const pg_sampler_platform *platform; /* what the machine is read through */
    uint64_t previous_busy_ticks;
    uint64_t previous_total_ticks;
    uint64_t physical_memory; /* bytes; 0 when unreadable, and then memory is never sampled */
    uint64_t page_size;       /* bytes per virtual-memory page */
    pg_io_connect_t smc_connection;
    char temperature_keys[PG_TEMPERATURE_KEY_CAPACITY][5]; /* four characters and a zero byte */
    int32_t key_count;
    int32_t temperature_source; /* 0 none, 1 die hotspot, 2 die, 3 core maximum */
    int64_t next_smc_attempt;   /* wall-clock seconds; while no key is known, no SMC work before it */
    bool has_previous_ticks;
};

/* The fixed 80-byte record the SMC user client takes and returns. Multi-byte numbers are in the
 * machine's native byte order; keys and data types are four characters packed into a number with
 * the first character most significant. */
typedef struct pg_smc_version {
    uint8_t major;
    uint8_t minor;
    uint8_t build;
    uint8_t reserved;
    uint16_t release;
} pg_smc_version;

typedef struct pg_smc_power_limit {
    uint16_t version;
    uint16_t length;
    uint32_t cpu_limit;
    uint32_t gpu_limit;
    uint32_t memory_limit;
} pg_smc_power_limit;

typedef struct pg_smc_key_info {
    uint32_t data_size;
    uint32_t data_type;
    uint8_t data_attributes;
} pg_smc_key_info;

typedef struct pg_smc_key_record {
    uint32_t key;
    pg_smc_version version;
    pg_smc_power_limit power_limit;
    pg_smc_key_info key_info;
    uint8_t result; /* 0 = success */
    uint8_t status;
    uint8_t command;
    uint32_t argument; /* the key index of the key-at-index command */
    uint8_t bytes[32];
} pg_smc_key_record;

/* The layout is a wire format shared with the SMC, so every offset is pinned (checked by the C
 * compiler and by C++ sources that include this header). */
#ifdef __cplusplus
#define PG_LAYOUT_ASSERT(condition, message) static_assert(condition, message)
#else
#define PG_LAYOUT_ASSERT(condition, message) _Static_assert(condition, message)
#endif
PG_LAYOUT_ASSERT(sizeof(pg_smc_key_record) == 80, "SMC key record must be 80 bytes");
PG_LAYOUT_ASSERT(offsetof(pg_smc_key_record, key) == 0, "key offset");
PG_LAYOUT_ASSERT(offsetof(pg_smc_key_record, version) == 4, "version offset");
PG_LAYOUT_ASSERT(offsetof(pg_smc_key_record, power_limit) == 12, "power limit offset");
PG_LAYOUT_ASSERT(offsetof(pg_smc_key_record, key_info) == 28, "key info offset");
PG_LAYOUT_ASSERT(offsetof(pg_smc_key_record, key_info.data_size) == 28, "data size offset");
PG_LAYOUT_ASSERT(offsetof(pg_smc_key_record, key_info.data_type) == 32, "data type offset");
PG_LAYOUT_ASSERT(offsetof(pg_smc_key_record, key_info.data_attributes) == 36, "attributes offset");
PG_LAYOUT_ASSERT(offsetof(pg_smc_key_record, result) == 40, "result offset");
PG_LAYOUT_ASSERT(offsetof(pg_smc_key_record, status) == 41, "status offset");
PG_LAYOUT_ASSERT(offsetof(pg_smc_key_record, command) == 42, "command offset");
PG_LAYOUT_ASSERT(offsetof(pg_smc_key_record, argument) == 44, "argument offset");
PG_LAYOUT_ASSERT(offsetof(pg_smc_key_record, bytes) == 48, "data bytes offset");

/* Four characters as one number, the first character most significant. */
static inline uint32_t pg_smc_four_char_code(const char *text)
{
    return ((uint32_t)(unsigned char)text[0] << 24) | ((uint32_t)(unsigned char)text[1] << 16) |
           ((uint32_t)(unsigned char)text[2] << 8) | (uint32_t)(unsigned char)text[3];
}

/* The four characters of a code followed by a zero byte. */
static inline void pg_smc_four_char_text(uint32_t code, char text[5])
{
    text[0] = (char)(code >> 24);
    text[1] = (char)(code >> 16);
    text[2] = (char)(code >> 8);
    text[3] = (char)code;
    text[4] = '\0';
}

/* The connection to the first service of that class name on the platform, or 0. */
pg_io_connect_t pg_smc_open_matching(const pg_sampler_platform *platform, const char *class_name);

/* Reads a four-character key: its key info, then its data bytes, into out (zeroed first).
 * Returns 0, the status of a failed call, or PG_IO_RETURN_ERROR for a non-zero result byte. */
pg_io_return_t pg_smc_read_key(pg_io_connect_t connection, const char *key, pg_smc_key_record *out);

/* Degrees Celsius, or 0.0 for a failed read, an unknown type, a short value or a reading outside
 * the open interval (10, 150). */
double pg_smc_read_temperature(pg_io_connect_t connection, const char *key);

/* Tries the candidate keys, then enumerates the SMC; 1 when at least one key is cached. */
int pg_discover_temperature_key(pg_system_metrics_sampler *state);

/* Busy and total ticks summed over all processors; 1 on success, 0 (outputs untouched) on failure. */
int pg_read_cpu_totals(const pg_sampler_platform *platform, uint64_t *busy, uint64_t *total);

#ifdef __cplusplus
}
#endif
