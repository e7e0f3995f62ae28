#pragma once

/* The machine's CPU temperature sensors as SMC keys: the applesmc driver's keys verbatim where
 * that driver runs, else the CPU sensors of hwmon under fixed keys. */

#include "pg_sampler_platform.h"

#include <stddef.h>
#include <stdint.h>

typedef struct pg_linux_sensor {
    uint32_t key;
    char *input_path; /* millidegrees Celsius */
    int priority;     /* decides between two sensors offered for one key */
} pg_linux_sensor;

typedef struct pg_linux_sensor_table {
    pg_linux_sensor *sensors;
    size_t count;
    size_t capacity;
} pg_linux_sensor_table;

/* Scans the platform's sensors; an empty table when there are none. */
void pg_linux_sensors_scan(const pg_sampler_platform *platform, pg_linux_sensor_table *table);
void pg_linux_sensors_clear(pg_linux_sensor_table *table);

/* Reads one sensor; 1 with the value in millidegrees, 0 when it cannot be read or parsed. */
int pg_linux_sensor_read(const pg_linux_sensor *sensor, int64_t *millidegrees);
