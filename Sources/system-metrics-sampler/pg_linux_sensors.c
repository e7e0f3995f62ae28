#include "pg_linux_sensors.h"

#include "pg_platform_files.h"
#include "pg_sampler_internal.h"

#include <dirent.h>
#include <stdbool.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

/* More than any real machine exposes; the table stops growing there. */
enum { PG_SENSOR_LIMIT = 512, PG_INDEX_LIMIT = 1024 };

typedef enum pg_hwmon_kind {
    PG_HWMON_OTHER,
    PG_HWMON_CORETEMP,
    PG_HWMON_AMD,
    PG_HWMON_CPU_THERMAL
} pg_hwmon_kind;

/* Adds a sensor; a key already present is replaced only by a sensor of higher priority (Tdie
 * before Tctl), so each key stands for one file. */
static void pg_table_add(pg_linux_sensor_table *table, const char *key, const char *path, int priority)
{
    uint32_t code = pg_smc_four_char_code(key);
    for (size_t i = 0; i < table->count; ++i) {
        pg_linux_sensor *existing = &table->sensors[i];
        if (existing->key != code)
            continue;
        if (priority > existing->priority) {
            char *copy = strdup(path);
            if (copy != NULL) {
                free(existing->input_path);
                existing->input_path = copy;
                existing->priority = priority;
            }
        }
        return;
    }
    if (table->count == table->capacity) {
        size_t capacity = table->capacity == 0 ? 16 : table->capacity * 2;
        if (capacity > PG_SENSOR_LIMIT)
            return;
        pg_linux_sensor *grown = realloc(table->sensors, capacity * sizeof *grown);
        if (grown == NULL)
            return;
        table->sensors = grown;
        table->capacity = capacity;
    }
    char *copy = strdup(path);
    if (copy == NULL)
        return;
    table->sensors[table->count++] = (pg_linux_sensor){code, copy, priority};
}

/* The number in "<prefix><digits><suffix>", or -1 when the name has another shape. */
static long pg_numbered_name(const char *name, const char *prefix, const char *suffix)
{
    size_t prefix_length = strlen(prefix);
    if (strncmp(name, prefix, prefix_length) != 0)
        return -1;
    const char *digits = name + prefix_length;
    long value = 0;
    const char *cursor = digits;
    while (*cursor >= '0' && *cursor <= '9' && cursor - digits < 6)
        value = value * 10 + (*cursor++ - '0');
    if (cursor == digits || strcmp(cursor, suffix) != 0)
        return -1;
    return value;
}

static int pg_compare_indexes(const void *left, const void *right)
{
    long a = *(const long *)left, b = *(const long *)right;
    return (a > b) - (a < b);
}

/* The numbers of a folder's entries named "<prefix>N<suffix>", ascending; the count, or 0. */
static size_t pg_list_indexes(const char *folder, const char *prefix, const char *suffix, long *indexes)
{
    DIR *directory = opendir(folder);
    if (directory == NULL)
        return 0;
    size_t count = 0;
    struct dirent *entry;
    while ((entry = readdir(directory)) != NULL && count < PG_INDEX_LIMIT) {
        long index = pg_numbered_name(entry->d_name, prefix, suffix);
        if (index >= 0)
            indexes[count++] = index;
    }
    closedir(directory);
    qsort(indexes, count, sizeof *indexes, pg_compare_indexes);
    return count;
}

/* A one-line sysfs text without its line break and trailing blanks; 0 when unreadable, empty or
 * too long for the buffer (a cut-off text could pass for a shorter valid one). */
static int pg_read_text(const char *folder, const char *name, char *text, size_t size)
{
    char path[PG_PATH_CAPACITY];
    if (snprintf(path, sizeof path, "%s/%s", folder, name) >= (int)sizeof path)
        return 0;
    long length = pg_read_small_file(path, text, size, PG_LINKS_FOLLOW);
    if (length <= 0 || (size_t)length >= size - 1)
        return 0;
    while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == ' ' || text[length - 1] == '\t'))
        text[--length] = '\0';
    return length > 0;
}

static void pg_scan_applesmc(const pg_sampler_platform *platform, pg_linux_sensor_table *table, long *indexes)
{
    char folder[PG_PATH_CAPACITY], path[PG_PATH_CAPACITY], name[32], label[16];
    if (!pg_platform_path(platform, folder, sizeof folder, "/sys/devices/platform/applesmc.768"))
        return;
    size_t count = pg_list_indexes(folder, "temp", "_label", indexes);
    for (size_t i = 0; i < count; ++i) {
        snprintf(name, sizeof name, "temp%ld_label", indexes[i]);
        if (!pg_read_text(folder, name, label, sizeof label) || strlen(label) != 4)
            continue;
        bool printable = true;
        for (size_t c = 0; c < 4; ++c)
            printable = printable && label[c] >= 0x20 && label[c] < 0x7F;
        if (printable &&
            snprintf(path, sizeof path, "%s/temp%ld_input", folder, indexes[i]) < (int)sizeof path)
            pg_table_add(table, label, path, 0);
    }
}

static pg_hwmon_kind pg_hwmon_kind_of(const char *name)
{
    if (strcmp(name, "coretemp") == 0)
        return PG_HWMON_CORETEMP;
    if (strcmp(name, "k10temp") == 0 || strcmp(name, "zenpower") == 0)
        return PG_HWMON_AMD;
    if (strncmp(name, "cpu_thermal", strlen("cpu_thermal")) == 0)
        return PG_HWMON_CPU_THERMAL;
    return PG_HWMON_OTHER;
}

/* One character for a core or die number: digits, then capitals; 0 beyond. */
static char pg_number_character(long number)
{
    if (number >= 0 && number < 10)
        return (char)('0' + number);
    if (number >= 10 && number < 36)
        return (char)('A' + (number - 10));
    return '\0';
}

/* "TC" followed by the number's character and a suffix; 0 when the number has no character. */
static int pg_numbered_key(char key[5], long number, char suffix)
{
    char character = pg_number_character(number);
    if (character == '\0')
        return 0;
    snprintf(key, 5, "TC%c%c", character, suffix);
    return 1;
}

/* The key and priority of one hwmon sensor; 0 when the sensor is not a CPU sensor. The package or
 * die sensor is "TC0D", each core (or AMD core complex) "TC<n>C". */
static int pg_hwmon_key(pg_hwmon_kind kind, const char *label, long index, char key[5], int *priority)
{
    long number;
    *priority = 0;
    switch (kind) {
    case PG_HWMON_CPU_THERMAL:
        return index == 1 ? pg_numbered_key(key, 0, 'D') : 0;
    case PG_HWMON_CORETEMP:
        if ((number = pg_numbered_name(label, "Package id ", "")) >= 0)
            return pg_numbered_key(key, number, 'D');
        return pg_numbered_key(key, pg_numbered_name(label, "Core ", ""), 'C');
    case PG_HWMON_AMD:
        /* Tctl may carry a fan-control offset, so Tdie wins where both exist; an unlabelled first
         * sensor is Tctl on older kernels. */
        if (strcmp(label, "Tdie") == 0 || strcmp(label, "Tctl") == 0 || (label[0] == '\0' && index == 1)) {
            *priority = strcmp(label, "Tdie") == 0 ? 2 : 1;
            return pg_numbered_key(key, 0, 'D');
        }
        number = pg_numbered_name(label, "Tccd", "");
        return number >= 1 ? pg_numbered_key(key, number - 1, 'C') : 0;
    default:
        return 0;
    }
}

static void pg_scan_hwmon_device(pg_linux_sensor_table *table, const char *folder, long *indexes)
{
    char name[64], label[64], file[48], path[PG_PATH_CAPACITY], key[5];
    if (!pg_read_text(folder, "name", name, sizeof name))
        return;
    pg_hwmon_kind kind = pg_hwmon_kind_of(name);
    if (kind == PG_HWMON_OTHER)
        return;
    size_t count = pg_list_indexes(folder, "temp", "_input", indexes);
    for (size_t i = 0; i < count; ++i) {
        int priority = 0;
        snprintf(file, sizeof file, "temp%ld_label", indexes[i]);
        if (!pg_read_text(folder, file, label, sizeof label))
            label[0] = '\0';
        if (!pg_hwmon_key(kind, label, indexes[i], key, &priority))
            continue;
        if (snprintf(path, sizeof path, "%s/temp%ld_input", folder, indexes[i]) < (int)sizeof path)
            pg_table_add(table, key, path, priority);
    }
}

static void pg_scan_hwmon(const pg_sampler_platform *platform, pg_linux_sensor_table *table, long *indexes)
{
    char classes[PG_PATH_CAPACITY], folder[PG_PATH_CAPACITY];
    if (!pg_platform_path(platform, classes, sizeof classes, "/sys/class/hwmon"))
        return;
    long *devices = malloc(PG_INDEX_LIMIT * sizeof *devices);
    if (devices == NULL)
        return;
    size_t count = pg_list_indexes(classes, "hwmon", "", devices);
    for (size_t i = 0; i < count; ++i)
        if (snprintf(folder, sizeof folder, "%s/hwmon%ld", classes, devices[i]) < (int)sizeof folder)
            pg_scan_hwmon_device(table, folder, indexes);
    free(devices);
}

void pg_linux_sensors_scan(const pg_sampler_platform *platform, pg_linux_sensor_table *table)
{
    memset(table, 0, sizeof *table);
    long *indexes = malloc(PG_INDEX_LIMIT * sizeof *indexes);
    if (indexes == NULL)
        return;
    /* The applesmc driver speaks the SMC's own keys; only without it do hwmon sensors stand in. */
    pg_scan_applesmc(platform, table, indexes);
    if (table->count == 0)
        pg_scan_hwmon(platform, table, indexes);
    free(indexes);
}

void pg_linux_sensors_clear(pg_linux_sensor_table *table)
{
    for (size_t i = 0; i < table->count; ++i)
        free(table->sensors[i].input_path);
    free(table->sensors);
    memset(table, 0, sizeof *table);
}

int pg_linux_sensor_read(const pg_linux_sensor *sensor, int64_t *millidegrees)
{
    char text[32];
    long length = pg_read_small_file(sensor->input_path, text, sizeof text, PG_LINKS_FOLLOW);
    if (length <= 0 || (size_t)length >= sizeof text - 1)
        return 0; /* unreadable, empty, or longer than any reading and maybe cut off */
    return pg_parse_int64(text, millidegrees);
}
