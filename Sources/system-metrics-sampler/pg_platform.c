#include "pg_platform_files.h"
#include "pg_smc_backend.h"

#include <ctype.h>
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

static int pg_machine_path(const pg_sampler_platform *platform, char *out, size_t size, const char *absolute_path)
{
    (void)platform;
    size_t length = strlen(absolute_path);
    if (length + 1 > size)
        return 0;
    memcpy(out, absolute_path, length + 1);
    return 1;
}

static int64_t pg_machine_now(const pg_sampler_platform *platform)
{
    (void)platform;
    return (int64_t)time(NULL);
}

static const pg_sampler_platform pg_machine = {&pg_linux_smc_backend, pg_machine_path, pg_machine_now, NULL};

const pg_sampler_platform *pg_machine_platform(void)
{
    return &pg_machine;
}

int pg_platform_path(const pg_sampler_platform *platform, char *out, size_t size, const char *absolute_path)
{
    return platform->path(platform, out, size, absolute_path);
}

int64_t pg_platform_now(const pg_sampler_platform *platform)
{
    return platform->now(platform);
}

/* A descriptor of a regular file at path, or -1. The open is non-blocking, so a FIFO put in a
 * file's place is refused at once instead of waiting for a writer. */
static int pg_open_regular_file(const char *path, pg_links links)
{
    int flags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | (links == PG_LINKS_REFUSE ? O_NOFOLLOW : 0);
    int descriptor;
    do
        descriptor = open(path, flags);
    while (descriptor < 0 && errno == EINTR);
    if (descriptor < 0)
        return -1;
    struct stat status;
    if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(descriptor);
        return -1;
    }
    return descriptor;
}

/* Reads until the buffer is full or the file ends; -1 on a read error. */
static long pg_read_fully(int descriptor, char *buffer, size_t size)
{
    size_t filled = 0;
    while (filled < size) {
        ssize_t count = read(descriptor, buffer + filled, size - filled);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return -1;
        if (count == 0)
            break;
        filled += (size_t)count;
    }
    return (long)filled;
}

/* 1 when the file has no byte left to read. */
static int pg_at_end(int descriptor)
{
    char extra;
    return pg_read_fully(descriptor, &extra, 1) == 0;
}

long pg_read_small_file(const char *path, char *buffer, size_t size, pg_links links)
{
    if (size == 0)
        return -1;
    int descriptor = pg_open_regular_file(path, links);
    if (descriptor < 0)
        return -1;
    long count = pg_read_fully(descriptor, buffer, size - 1);
    /* Files of /proc and /sys report no size, so a file too large is found by reading on. */
    if (count >= 0 && (size_t)count == size - 1 && !pg_at_end(descriptor))
        count = -1;
    close(descriptor);
    if (count >= 0)
        buffer[count] = '\0';
    return count;
}

char *pg_read_whole_file(const char *path, size_t limit, size_t *length, pg_links links)
{
    int descriptor = pg_open_regular_file(path, links);
    if (descriptor < 0)
        return NULL;
    /* The buffer grows by doubling up to the cap, so a small file costs little. */
    size_t capacity = limit < 8192 ? limit : 8192, filled = 0;
    char *buffer = malloc(capacity + 1);
    while (buffer != NULL) {
        long count = pg_read_fully(descriptor, buffer + filled, capacity - filled);
        if (count < 0)
            break;
        filled += (size_t)count;
        if (filled < capacity || (capacity == limit && pg_at_end(descriptor))) {
            buffer[filled] = '\0';
            close(descriptor);
            if (length != NULL)
                *length = filled;
            return buffer;
        }
        if (capacity == limit)
            break;
        capacity = capacity > limit / 2 ? limit : capacity * 2;
        char *grown = realloc(buffer, capacity + 1);
        if (grown == NULL)
            break;
        buffer = grown;
    }
    free(buffer);
    close(descriptor);
    return NULL;
}

int pg_parse_int64(const char *text, int64_t *value)
{
    char *end = NULL;
    while (isspace((unsigned char)*text))
        ++text;
    if (*text == '\0')
        return 0;
    errno = 0;
    long long parsed = strtoll(text, &end, 10);
    if (errno != 0 || end == text)
        return 0;
    while (isspace((unsigned char)*end))
        ++end;
    if (*end != '\0')
        return 0;
    *value = (int64_t)parsed;
    return 1;
}
