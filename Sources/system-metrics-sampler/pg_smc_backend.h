#pragma once

/* What answers the SMC commands behind the IOKit stand-in: the machine's temperature sensors,
 * or a scripted SMC installed by tests. */

#include "pg_io.h"

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
    void *(*match)(const char *class_name);
    void (*release)(void *service);
    /* Opens a connection on a service; the service stays owned by the caller. */
    pg_io_return_t (*open)(void *service, void **connection);
    /* Answers one SMC command; output arrives zeroed. */
    pg_io_return_t (*call)(void *connection, const pg_smc_key_record *input, pg_smc_key_record *output);
    void (*close)(void *connection);
} pg_smc_backend;

extern const pg_smc_backend pg_linux_smc_backend;
extern const pg_smc_backend pg_fake_smc_backend;

/* The scripted SMC when one is installed, else the sensors. */
const pg_smc_backend *pg_smc_current_backend(void);
