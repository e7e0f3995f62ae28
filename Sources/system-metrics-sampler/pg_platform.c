#include "pg_platform_files.h"
#include "pg_sampler_platform.h"

#include <ctype.h>
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

enum { PG_WHOLE_FILE_LIMIT = 4 * 1024 * 1024 };

static char pg_root[PG_PATH_CAPACITY];
static pg_platform_time_function pg_time_function;

int pg_platform_set_root(const char *root)
{
    if (root == NULL || root[0] == '\0' || strcmp(root, "/") == 0) {
        pg_root[0] = '\0';
        return 1;
    }
    size_t length = strlen(root);
    if (length >= sizeof pg_root)
        return 0;
    memcpy(pg_root, root, length + 1);
    /* "/tmp/x/" and "/tmp/x" name the same root. */
    while (length > 1 && pg_root[length - 1] == '/')
        pg_root[--length] = '\0';
    return 1;
}

const char *pg_platform_root(void)
{
    return pg_root[0] == '\0' ? "/" : pg_root;
}

void pg_platform_set_time_function(pg_platform_time_function function)
{
    pg_time_function = function;
}

int64_t pg_platform_now(void)
{
    if (pg_time_function != NULL)
        return pg_time_function();
    return (int64_t)time(NULL);
}

int pg_platform_path(char *out, size_t size, const char *absolute_path)
{
    size_t root_length = strlen(pg_root);
    size_t path_length = strlen(absolute_path);
    if (root_length + path_length + 1 > size)
        return 0;
    memcpy(out, pg_root, root_length);
    memcpy(out + root_length, absolute_path, path_length + 1);
    return 1;
}

static int pg_open_for_reading(const char *path)
{
    int descriptor;
    do
        descriptor = open(path, O_RDONLY | O_CLOEXEC | O_NOCTTY);
    while (descriptor < 0 && errno == EINTR);
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

long pg_read_small_file(const char *path, char *buffer, size_t size)
{
    if (size == 0)
        return -1;
    int descriptor = pg_open_for_reading(path);
    if (descriptor < 0)
        return -1;
    long count = pg_read_fully(descriptor, buffer, size - 1);
    close(descriptor);
    if (count < 0)
        return -1;
    buffer[count] = '\0';
    return count;
}

char *pg_read_whole_file(const char *path, size_t *length)
{
    int descriptor = pg_open_for_reading(path);
    if (descriptor < 0)
        return NULL;
    /* /proc files report no size, so the buffer grows until a read comes back short. */
    size_t capacity = 8192, filled = 0;
    char *buffer = malloc(capacity);
    while (buffer != NULL) {
        long count = pg_read_fully(descriptor, buffer + filled, capacity - filled - 1);
        if (count < 0)
            break;
        filled += (size_t)count;
        if (filled < capacity - 1) {
            buffer[filled] = '\0';
            close(descriptor);
            if (length != NULL)
                *length = filled;
            return buffer;
        }
        if (capacity >= PG_WHOLE_FILE_LIMIT)
            break;
        char *grown = realloc(buffer, capacity * 2);
        if (grown == NULL)
            break;
        buffer = grown;
        capacity *= 2;
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
