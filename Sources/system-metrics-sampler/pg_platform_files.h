#pragma once

/* Reading the host's /proc and /sys files below the configured root. */

#include <stddef.h>
#include <stdint.h>

enum { PG_PATH_CAPACITY = 4096 };

/* The root followed by an absolute path; 0 when the result does not fit. */
int pg_platform_path(char *out, size_t size, const char *absolute_path);

/* Reads at most size - 1 bytes of a file into buffer and ends them with a zero byte; returns the
 * number of bytes read, or -1 when the file cannot be opened or read. */
long pg_read_small_file(const char *path, char *buffer, size_t size);

/* Reads a whole file (up to a few MiB) into a fresh zero-terminated buffer the caller frees;
 * null on failure. */
char *pg_read_whole_file(const char *path, size_t *length);

/* A decimal integer, possibly signed, with nothing but white space around it; 1 on success. */
int pg_parse_int64(const char *text, int64_t *value);
