#pragma once

/* What answers the SMC commands behind the IOKit stand-in: the machine's temperature sensors
 * here; a platform of the tests' may bring a scripted SMC of its own. */

#include "pg_io.h"
#include "pg_sampler_platform.h"

/* Result bytes of the SMC. */
enum {
    PG_SMC_RESULT_SUCCESS = 0x00,
    PG_SMC_RESULT_ERROR = 0x01,
    PG_SMC_RESULT_BAD_COMMAND = 0x82,
    PG_SMC_RESULT_KEY_NOT_FOUND = 0x84,
    PG_SMC_RESULT_INDEX_OUT_OF_RANGE = 0xB8,
};

typedef struct pg_smc_backend {
    /* A service object for a class name, or null when this backend has no such service. */
    void *(*match)(const pg_sampler_platform *platform, const char *class_name);
    void (*release)(void *service);
    /* Opens a connection on a service; the service stays owned by the caller. */
    pg_io_return_t (*open)(void *service, void **connection);
    /* Answers one SMC command; output arrives zeroed. */
    pg_io_return_t (*call)(void *connection, const pg_smc_key_record *input, pg_smc_key_record *output);
    void (*close)(void *connection);
} pg_smc_backend;

extern const pg_smc_backend pg_linux_smc_backend;
