#include "pg_host.h"

#include "pg_platform_files.h"

#include <inttypes.h>
#include <stdbool.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

enum { PG_PROC_STAT_FIELDS = 10, PG_MEMINFO_BUFFER = 8192 };

static uint64_t pg_saturating_minus(uint64_t value, uint64_t subtrahend)
{
    return value > subtrahend ? value - subtrahend : 0;
}

/* Folds one "cpuN" line of /proc/stat into the four tick kinds; guest time is already counted in
 * user and nice, so it is taken out again. 0 when the line is malformed. */
static int pg_parse_processor_line(const char *line, pg_processor_load *load)
{
    uint64_t field[PG_PROC_STAT_FIELDS] = {0};
    const char *cursor = line + strcspn(line, " \t");
    int parsed = 0;
    while (parsed < PG_PROC_STAT_FIELDS) {
        char *end = NULL;
        while (*cursor == ' ' || *cursor == '\t')
            ++cursor;
        if (*cursor < '0' || *cursor > '9')
            break;
        field[parsed++] = strtoull(cursor, &end, 10);
        cursor = end;
    }
    if (parsed < 4)
        return 0;
    /* user nice system idle iowait irq softirq steal guest guest_nice */
    load->ticks[PG_CPU_STATE_USER] = pg_saturating_minus(field[0], field[8]);
    load->ticks[PG_CPU_STATE_NICE] = pg_saturating_minus(field[1], field[9]);
    load->ticks[PG_CPU_STATE_SYSTEM] = field[2] + field[5] + field[6] + field[7];
    load->ticks[PG_CPU_STATE_IDLE] = field[3] + field[4];
    return 1;
}

static bool pg_is_processor_line(const char *line)
{
    return strncmp(line, "cpu", 3) == 0 && line[3] >= '0' && line[3] <= '9';
}

static size_t pg_count_processor_lines(const char *text)
{
    size_t count = 0;
    for (const char *line = text; line != NULL && *line != '\0'; line = strchr(line, '\n')) {
        if (*line == '\n')
            ++line;
        if (pg_is_processor_line(line))
            ++count;
    }
    return count;
}

int pg_host_processor_load(pg_processor_load **loads, uint32_t *processor_count)
{
    char path[PG_PATH_CAPACITY];
    if (loads == NULL || processor_count == NULL || !pg_platform_path(path, sizeof path, "/proc/stat"))
        return -1;
    char *text = pg_read_whole_file(path, NULL);
    if (text == NULL)
        return -1;
    size_t expected = pg_count_processor_lines(text);
    pg_processor_load *array = expected > 0 ? calloc(expected, sizeof *array) : NULL;
    size_t count = 0;
    bool malformed = array == NULL;
    for (char *line = text; !malformed && line != NULL && *line != '\0'; line = strchr(line, '\n')) {
        if (*line == '\n')
            ++line;
        if (pg_is_processor_line(line) && count < expected)
            malformed = !pg_parse_processor_line(line, &array[count++]);
    }
    free(text);
    if (malformed) {
        free(array);
        return -1;
    }
    *loads = array;
    *processor_count = (uint32_t)count;
    return 0;
}

void pg_host_deallocate(void *array)
{
    free(array);
}

/* The value of a "Name:   123 kB" line, in bytes; 0 when the line is absent or malformed. */
static int pg_meminfo_bytes(const char *text, const char *name, uint64_t *bytes)
{
    size_t name_length = strlen(name);
    for (const char *line = text; line != NULL && *line != '\0'; line = strchr(line, '\n')) {
        if (*line == '\n')
            ++line;
        if (strncmp(line, name, name_length) != 0 || line[name_length] != ':')
            continue;
        uint64_t kilobytes = 0;
        char unit[4] = {0};
        int fields = sscanf(line + name_length + 1, "%" SCNu64 " %3s", &kilobytes, unit);
        if (fields < 1 || (fields == 2 && strcmp(unit, "kB") != 0) || kilobytes > UINT64_MAX / 1024)
            return 0;
        *bytes = kilobytes * 1024;
        return 1;
    }
    return 0;
}

static int pg_read_meminfo(char *text, size_t size)
{
    char path[PG_PATH_CAPACITY];
    if (!pg_platform_path(path, sizeof path, "/proc/meminfo"))
        return 0;
    return pg_read_small_file(path, text, size) > 0;
}

/* Byte counts of the named lines added up; 0 when any required line is missing. Optional lines
 * (named after a "?") count 0 when absent, as on kernels that lack them. */
static int pg_meminfo_pages(const char *text, const char *const *names, uint64_t page_size, uint64_t *pages)
{
    uint64_t total = 0;
    for (const char *const *name = names; *name != NULL; ++name) {
        bool optional = (*name)[0] == '?';
        uint64_t bytes = 0;
        if (!pg_meminfo_bytes(text, optional ? *name + 1 : *name, &bytes) && !optional)
            return 0;
        total += bytes;
    }
    *pages = total / page_size;
    return 1;
}

int pg_host_vm_statistics(uint64_t page_size, pg_vm_statistics *statistics)
{
    static const char *const active[] = {"Active", NULL};
    static const char *const inactive[] = {"Inactive", NULL};
    static const char *const wired[] = {"?Unevictable", "?SUnreclaim", "?KernelStack", "?PageTables", NULL};
    static const char *const compressor[] = {"?Zswap", NULL};
    static const char *const external[] = {"Active(file)", "Inactive(file)", NULL};
    char *text = malloc(PG_MEMINFO_BUFFER);
    if (text == NULL || page_size == 0 || statistics == NULL || !pg_read_meminfo(text, PG_MEMINFO_BUFFER)) {
        free(text);
        return -1;
    }
    pg_vm_statistics result = {0};
    int complete = pg_meminfo_pages(text, active, page_size, &result.active_count) &&
                   pg_meminfo_pages(text, inactive, page_size, &result.inactive_count) &&
                   pg_meminfo_pages(text, wired, page_size, &result.wire_count) &&
                   pg_meminfo_pages(text, compressor, page_size, &result.compressor_page_count) &&
                   pg_meminfo_pages(text, external, page_size, &result.external_page_count);
    free(text);
    if (!complete)
        return -1;
    *statistics = result;
    return 0;
}

int pg_host_physical_memory(uint64_t *bytes)
{
    char text[PG_MEMINFO_BUFFER];
    if (bytes == NULL || !pg_read_meminfo(text, sizeof text) || !pg_meminfo_bytes(text, "MemTotal", bytes))
        return -1;
    return 0;
}

int pg_host_page_size(uint64_t *bytes)
{
    long size = sysconf(_SC_PAGESIZE);
    if (bytes == NULL || size <= 0)
        return -1;
    *bytes = (uint64_t)size;
    return 0;
}
