#include "pg_host.h"

#include "pg_platform_files.h"

#include <stdbool.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

enum {
    PG_PROC_STAT_FIELDS = 10,
    /* About 150 bytes a processor: room for thousands of them. */
    PG_PROC_STAT_LIMIT = 1024 * 1024,
    /* About 60 lines of 30 bytes. */
    PG_MEMINFO_LIMIT = 64 * 1024,
};

/* Larger counters than any machine reaches (2^40 ticks at 100 Hz is over 300 years; 2^50 kB is an
 * exbibyte) mark a corrupt file. Below them the sums over every processor or memory line cannot
 * wrap around into a plausible-looking figure. */
#define PG_TICK_LIMIT (UINT64_C(1) << 40)
#define PG_KILOBYTE_LIMIT (UINT64_C(1) << 50)

/* An unsigned decimal number at text, up to limit; 0 for a sign, no digits or a larger value. */
static int pg_parse_counter(const char *text, uint64_t limit, uint64_t *value, const char **end)
{
    if (*text < '0' || *text > '9')
        return 0;
    uint64_t parsed = 0;
    while (*text >= '0' && *text <= '9') {
        parsed = parsed * 10 + (uint64_t)(*text++ - '0');
        if (parsed > limit)
            return 0;
    }
    *value = parsed;
    *end = text;
    return 1;
}

static uint64_t pg_saturating_minus(uint64_t value, uint64_t subtrahend)
{
    return value > subtrahend ? value - subtrahend : 0;
}

/* Folds one "cpuN" line of /proc/stat into the four tick kinds; guest time is already counted in
 * user and nice, so it is taken out again. 0 when the line is malformed. */
static int pg_parse_processor_line(const char *line, pg_processor_load *load)
{
    uint64_t field[PG_PROC_STAT_FIELDS] = {0};
    /* The name ends at a blank; a line with no fields must not borrow those of the next line. */
    const char *cursor = line + strcspn(line, " \t\n");
    int parsed = 0;
    while (parsed < PG_PROC_STAT_FIELDS) {
        while (*cursor == ' ' || *cursor == '\t')
            ++cursor;
        if (*cursor == '\n' || *cursor == '\0')
            break;
        if (!pg_parse_counter(cursor, PG_TICK_LIMIT, &field[parsed++], &cursor))
            return 0;
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

int pg_host_processor_load(const pg_sampler_platform *host, pg_processor_load **loads, uint32_t *processor_count)
{
    char path[PG_PATH_CAPACITY];
    if (loads == NULL || processor_count == NULL || !pg_platform_path(host, path, sizeof path, "/proc/stat"))
        return -1;
    char *text = pg_read_whole_file(path, PG_PROC_STAT_LIMIT, NULL, PG_LINKS_REFUSE);
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

/* The value of a "Name:   123 kB" line (the unit may be missing), in bytes: 1 when read, 0 when the
 * line is absent, -1 when it is malformed. */
static int pg_meminfo_bytes(const char *text, const char *name, uint64_t *bytes)
{
    size_t name_length = strlen(name);
    for (const char *line = text; line != NULL && *line != '\0'; line = strchr(line, '\n')) {
        if (*line == '\n')
            ++line;
        if (strncmp(line, name, name_length) != 0 || line[name_length] != ':')
            continue;
        const char *cursor = line + name_length + 1;
        uint64_t kilobytes = 0;
        cursor += strspn(cursor, " \t");
        if (!pg_parse_counter(cursor, PG_KILOBYTE_LIMIT, &kilobytes, &cursor))
            return -1;
        cursor += strspn(cursor, " \t");
        if (strncmp(cursor, "kB", 2) == 0)
            cursor += 2;
        cursor += strspn(cursor, " \t");
        if (*cursor != '\n' && *cursor != '\0')
            return -1;
        *bytes = kilobytes * 1024;
        return 1;
    }
    return 0;
}

/* The whole of /proc/meminfo, freed by the caller; null when unreadable. Never cut short: a line
 * cut off after its first digits would read as a far smaller figure. */
static char *pg_read_meminfo(const pg_sampler_platform *host)
{
    char path[PG_PATH_CAPACITY];
    if (!pg_platform_path(host, path, sizeof path, "/proc/meminfo"))
        return NULL;
    return pg_read_whole_file(path, PG_MEMINFO_LIMIT, NULL, PG_LINKS_REFUSE);
}

/* Byte counts of the named lines added up; 0 when any line is malformed or a required one missing.
 * Optional lines (named after a "?") count 0 when absent, as on kernels that lack them. */
static int pg_meminfo_pages(const char *text, const char *const *names, uint64_t page_size, uint64_t *pages)
{
    uint64_t total = 0;
    for (const char *const *name = names; *name != NULL; ++name) {
        bool optional = (*name)[0] == '?';
        uint64_t bytes = 0;
        int found = pg_meminfo_bytes(text, optional ? *name + 1 : *name, &bytes);
        if (found < 0 || (found == 0 && !optional))
            return 0;
        total += bytes;
    }
    *pages = total / page_size;
    return 1;
}

int pg_host_vm_statistics(const pg_sampler_platform *host, uint64_t page_size, pg_vm_statistics *statistics)
{
    static const char *const active[] = {"Active", NULL};
    static const char *const inactive[] = {"Inactive", NULL};
    static const char *const wired[] = {"?Unevictable", "?SUnreclaim", "?KernelStack", "?PageTables", NULL};
    static const char *const compressor[] = {"?Zswap", NULL};
    static const char *const external[] = {"Active(file)", "Inactive(file)", NULL};
    if (page_size == 0 || statistics == NULL)
        return -1;
    char *text = pg_read_meminfo(host);
    if (text == NULL)
        return -1;
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

int pg_host_physical_memory(const pg_sampler_platform *host, uint64_t *bytes)
{
    char *text = bytes != NULL ? pg_read_meminfo(host) : NULL;
    int found = text != NULL ? pg_meminfo_bytes(text, "MemTotal", bytes) : 0;
    free(text);
    return found == 1 ? 0 : -1;
}

int pg_host_page_size(uint64_t *bytes)
{
    long size = sysconf(_SC_PAGESIZE);
    if (bytes == NULL || size <= 0)
        return -1;
    *bytes = (uint64_t)size;
    return 0;
}
