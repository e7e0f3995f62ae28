#pragma once

/* A small stand-in of the IOKit calls the SMC code uses: find a service by class name, open a
 * user client on it, call its struct method, close. Services and connections are 32-bit
 * handles; 0 is never a valid handle. */

#include "pg_sampler_internal.h"

#include <stddef.h>
#include <stdint.h>

typedef uint32_t pg_io_object_t;

#define PG_IO_RETURN_BAD_ARGUMENT ((pg_io_return_t)0xE00002C2u)
#define PG_IO_RETURN_UNSUPPORTED ((pg_io_return_t)0xE00002C7u)
#define PG_IO_RETURN_NOT_OPEN ((pg_io_return_t)0xE00002CDu)
#define PG_IO_RETURN_NO_RESOURCES ((pg_io_return_t)0xE00002BEu)
#define PG_IO_RETURN_NOT_FOUND ((pg_io_return_t)0xE00002F0u)

/* The first service of that class on the platform (the stand-in of IOKit's main port), or 0.
 * Release it with pg_io_object_release. */
pg_io_object_t pg_io_service_get_matching_service(const pg_sampler_platform *platform, const char *class_name);
void pg_io_object_release(pg_io_object_t object);

/* Opens a user client of the given type on a service. */
pg_io_return_t pg_io_service_open(pg_io_object_t service, uint32_t type, pg_io_connect_t *connection);
pg_io_return_t pg_io_service_close(pg_io_connect_t connection);

/* Calls a struct method of an open connection; *output_size is the output buffer's size on entry
 * and the answer's size on return. */
pg_io_return_t pg_io_connect_call_struct_method(pg_io_connect_t connection, uint32_t selector,
                                                const void *input, size_t input_size, void *output,
                                                size_t *output_size);
