#pragma once

/* Reading the host's /proc and /sys files through the sampler's platform, safely: no open can
 * block (a FIFO or a device is refused, not waited on), only regular files are read, and no read
 * holds more than its cap, whatever has been put at a path. */

#include "pg_sampler_platform.h"

#include <stddef.h>
#include <stdint.h>

enum { PG_PATH_CAPACITY = 4096 };

/* Whether the last part of a path may be a symbolic link. Files of /proc never are; the entries
 * of /sys/class (hwmon, thermal) are links by design. */
typedef enum pg_links { PG_LINKS_REFUSE, PG_LINKS_FOLLOW } pg_links;

/* The platform's path of an absolute /proc or /sys path; 0 when the result does not fit. */
int pg_platform_path(const pg_sampler_platform *platform, char *out, size_t size, const char *absolute_path);
int64_t pg_platform_now(const pg_sampler_platform *platform);

/* Reads a small regular file into buffer, ends it with a zero byte and returns its length; -1
 * when it cannot be opened or read, is not a regular file, or does not fit in size - 1 bytes (a
 * cut-off text could pass for a shorter valid one). */
long pg_read_small_file(const char *path, char *buffer, size_t size, pg_links links);

/* Reads a whole regular file of at most limit bytes into a fresh zero-terminated buffer the
 * caller frees; null on failure or when the file is larger. */
char *pg_read_whole_file(const char *path, size_t limit, size_t *length, pg_links links);

/* A decimal integer, possibly signed, with nothing but white space around it; 1 on success. */
int pg_parse_int64(const char *text, int64_t *value);
