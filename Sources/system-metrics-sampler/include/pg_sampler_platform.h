#pragma once

/* Configuration of the sampler's host layer, for tests and benchmarks: the folder under which
 * /proc and /sys are read, the wall clock, and a scripted SMC that replaces the machine's
 * sensors. The application never calls these. None of them is thread-safe: set them while no
 * sampler is in use. */

#include <stdbool.h>
#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Reads /proc and /sys below this folder instead of "/"; null or "" restores "/". A root that
 * does not fit a path is refused (returns 0) and the previous root stays. */
int pg_platform_set_root(const char *root);
const char *pg_platform_root(void);

/* Wall-clock seconds for the SMC retry waits; null restores time(). */
typedef int64_t (*pg_platform_time_function)(void);
void pg_platform_set_time_function(pg_platform_time_function function);
int64_t pg_platform_now(void);

/* One key of the scripted SMC. A status is what the SMC call returns (0 = success); a result is
 * the result byte the SMC answers with (0 = success). */
typedef struct pg_fake_smc_key {
    char key[5];  /* four characters */
    char type[5]; /* four-character data type such as "sp78", "flt ", "ui8 " */
    uint32_t data_size;
    uint8_t data[32];
    int32_t info_status; /* the key-info command */
    uint8_t info_result;
    int32_t read_status; /* the read-bytes command */
    uint8_t read_result;
    int32_t index_status; /* the key-at-index command for this key's index */
    uint8_t index_result;
} pg_fake_smc_key;

/* A scripted SMC. The script stays owned by the caller and may be changed between samples. The
 * "#KEY" count is answered with key_count unless the keys themselves contain "#KEY". */
typedef struct pg_fake_smc {
    const char *service_class; /* the one class name that finds the service; null finds none */
    int32_t open_status;       /* non-zero makes opening fail with that status */
    pg_fake_smc_key *keys;
    size_t key_count;
    /* Written by the fake. */
    uint32_t open_count;
    uint32_t close_count;
    uint32_t call_count;
    uint32_t open_connections;
} pg_fake_smc;

/* Installs a scripted SMC in place of the machine's sensors; null goes back to the sensors.
 * Uninstall only once every connection to the script is closed. */
void pg_fake_smc_install(pg_fake_smc *script);

/* Fills a key of the scripted SMC: an "sp78" temperature, a "flt " temperature in native byte
 * order, or any type with raw bytes. */
pg_fake_smc_key pg_fake_smc_sp78_key(const char *key, double celsius);
pg_fake_smc_key pg_fake_smc_float_key(const char *key, float celsius);
pg_fake_smc_key pg_fake_smc_raw_key(const char *key, const char *type, const uint8_t *bytes, uint32_t size);

#ifdef __cplusplus
}
#endif
