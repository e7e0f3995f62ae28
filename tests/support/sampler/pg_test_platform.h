#pragma once

/* Stand-ins that only tests and benchmarks link: a platform that reads /proc and /sys below a
 * folder of its own, with a clock of its own, and a scripted SMC that can take the place of the
 * sensors. */

#include "pg_sampler_platform.h"

#include <stdbool.h>
#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* One key of the scripted SMC. */
typedef struct pg_fake_smc_key {
    char key[5];  /* four characters */
    char type[5]; /* four-character data type such as "sp78", "flt ", "ui8 " */
    uint32_t data_size;
    uint8_t data[32];
    uint8_t read_result; /* the result byte the read-bytes command answers with (0 = success) */
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
    uint32_t call_count;
    uint32_t open_connections;
} pg_fake_smc;

/* Fills a key of the scripted SMC: an "sp78" temperature, a "flt " temperature in native byte
 * order, or any type with raw bytes. */
pg_fake_smc_key pg_fake_smc_sp78_key(const char *key, double celsius);
pg_fake_smc_key pg_fake_smc_float_key(const char *key, float celsius);
pg_fake_smc_key pg_fake_smc_raw_key(const char *key, const char *type, const uint8_t *bytes, uint32_t size);

typedef int64_t (*pg_test_clock)(void);

/* A platform of the tests'. Pass &platform to the sampler; it must outlive every record made on
 * it. Not thread-safe to change while a sampler made on it is in use. */
typedef struct pg_test_platform {
    pg_sampler_platform platform; /* first, so the platform leads back to its test platform */
    char root[4096];              /* "" is the machine's root */
    pg_test_clock clock;          /* null reads the wall clock */
    pg_fake_smc *smc;             /* null leaves the SMC to the sensors below the root */
} pg_test_platform;

/* Reads below root (null or "" for the machine's own files), with the wall clock and the
 * sensors; 0 when the root does not fit a path. */
int pg_test_platform_init(pg_test_platform *test, const char *root);
void pg_test_platform_set_clock(pg_test_platform *test, pg_test_clock clock);
/* A scripted SMC in place of the sensors; null goes back to them. Change it only while no
 * connection to the previous script is open. */
void pg_test_platform_set_smc(pg_test_platform *test, pg_fake_smc *script);

#ifdef __cplusplus
}
#endif
