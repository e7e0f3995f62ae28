#pragma once

/* What a sampler reads the machine through: the SMC that answers temperature keys, the files of
 * /proc and /sys, and the wall clock. The library holds one platform, the machine itself; tests
 * and benchmarks build others (a fake tree of files, a hand-moved clock, a scripted SMC) in a
 * support library of their own, so nothing scripted ships and no call checks for a stand-in. */

#include "pg_system_metrics_sampler.h"

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

struct pg_smc_backend;

typedef struct pg_sampler_platform pg_sampler_platform;
struct pg_sampler_platform {
    /* Answers the SMC commands. */
    const struct pg_smc_backend *smc;
    /* Where an absolute /proc or /sys path is read: the machine reads the path itself. Writes the
     * path into out; 0 when it does not fit. */
    int (*path)(const pg_sampler_platform *platform, char *out, size_t size, const char *absolute_path);
    /* Wall-clock seconds, for the waits between SMC attempts. */
    int64_t (*now)(const pg_sampler_platform *platform);
    /* The platform's own data. */
    void *context;
};

/* The machine itself: its sensors, its /proc and /sys, its clock. */
const pg_sampler_platform *pg_machine_platform(void);

/* pg_system_metrics_sampler_create() on another platform, which must outlive the record. */
pg_system_metrics_sampler *pg_system_metrics_sampler_create_on(const pg_sampler_platform *platform);

#ifdef __cplusplus
}
#endif
