#pragma once

/* The native sampler of CPU temperature, CPU load and memory. A state record caches the SMC
 * connection, the temperature keys found on this machine and the previous CPU tick totals.
 * No function is thread-safe on its own: every call into one record must be serialised by
 * its owner. */

#include <stdbool.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct pg_system_metrics_sampler pg_system_metrics_sampler;

/* One sample, returned by value. Every field is zero and every flag false unless set. */
typedef struct pg_system_metrics_sample {
    double cpu_usage;           /* per cent of all processors' ticks busy since the previous read */
    double memory_used_percent; /* memory used / physical memory x 100 */
    double cpu_temperature;     /* degrees Celsius, the highest valid reading among the cached keys */
    uint64_t memory_used_bytes;
    uint64_t memory_total_bytes; /* the physical memory */
    uint32_t temperature_source; /* 0 none, 1 die hotspot, 2 die, 3 core maximum */
    bool cpu_usage_valid;
    bool memory_valid;      /* covers memory_used_percent, memory_used_bytes and memory_total_bytes */
    bool temperature_valid; /* covers cpu_temperature and temperature_source */
} pg_system_metrics_sample;

/* A new state record with the first CPU reading taken and the SMC opened and searched for
 * temperature keys; null when allocation fails. */
pg_system_metrics_sampler *pg_system_metrics_sampler_create(void);

/* One sample; a null state gives the all-zero record. A metric that cannot be read is absent. */
pg_system_metrics_sample pg_system_metrics_sampler_sample(pg_system_metrics_sampler *state);

/* Closes the SMC connection when one is open and frees the record; null is ignored. */
void pg_system_metrics_sampler_destroy(pg_system_metrics_sampler *state);

#ifdef __cplusplus
}
#endif
