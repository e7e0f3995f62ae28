/* Handle table of the IOKit stand-in. Handles are handed out from a counter, so a closed handle
 * is never reused by a later connection; the table is guarded because several samplers may live
 * on different threads at once (a store drops one while its last sample still runs). */

#include "pg_io.h"

#include "pg_smc_backend.h"

#include <pthread.h>
#include <stdbool.h>
#include <string.h>

enum { PG_IO_SLOT_COUNT = 32 };

typedef struct pg_io_slot {
    uint32_t handle; /* 0 = free */
    bool is_connection;
    const pg_smc_backend *backend;
    void *object;
} pg_io_slot;

static pthread_mutex_t pg_io_lock = PTHREAD_MUTEX_INITIALIZER;
static pg_io_slot pg_io_slots[PG_IO_SLOT_COUNT];
static uint32_t pg_io_last_handle;

/* Stores an object; returns its handle, or 0 when the table is full. */
static uint32_t pg_io_insert(const pg_smc_backend *backend, void *object, bool is_connection)
{
    uint32_t handle = 0;
    pthread_mutex_lock(&pg_io_lock);
    for (size_t i = 0; i < PG_IO_SLOT_COUNT; ++i) {
        if (pg_io_slots[i].handle != 0)
            continue;
        if (++pg_io_last_handle == 0)
            ++pg_io_last_handle;
        handle = pg_io_last_handle;
        pg_io_slots[i] = (pg_io_slot){handle, is_connection, backend, object};
        break;
    }
    pthread_mutex_unlock(&pg_io_lock);
    return handle;
}

/* Finds a handle of the wanted kind; with remove set, frees its slot as well. */
static bool pg_io_find(uint32_t handle, bool is_connection, bool remove, pg_io_slot *found)
{
    bool result = false;
    if (handle == 0)
        return false;
    pthread_mutex_lock(&pg_io_lock);
    for (size_t i = 0; i < PG_IO_SLOT_COUNT; ++i) {
        if (pg_io_slots[i].handle != handle || pg_io_slots[i].is_connection != is_connection)
            continue;
        *found = pg_io_slots[i];
        if (remove)
            memset(&pg_io_slots[i], 0, sizeof pg_io_slots[i]);
        result = true;
        break;
    }
    pthread_mutex_unlock(&pg_io_lock);
    return result;
}

pg_io_object_t pg_io_service_get_matching_service(const pg_sampler_platform *platform, const char *class_name)
{
    if (platform == NULL || class_name == NULL)
        return 0;
    const pg_smc_backend *backend = platform->smc;
    void *service = backend->match(platform, class_name);
    if (service == NULL)
        return 0;
    pg_io_object_t handle = pg_io_insert(backend, service, false);
    if (handle == 0)
        backend->release(service);
    return handle;
}

void pg_io_object_release(pg_io_object_t object)
{
    pg_io_slot slot;
    if (pg_io_find(object, false, true, &slot))
        slot.backend->release(slot.object);
}

pg_io_return_t pg_io_service_open(pg_io_object_t service, uint32_t type, pg_io_connect_t *connection)
{
    pg_io_slot slot;
    if (connection == NULL || type != 0)
        return PG_IO_RETURN_BAD_ARGUMENT;
    *connection = 0;
    if (!pg_io_find(service, false, false, &slot))
        return PG_IO_RETURN_BAD_ARGUMENT;
    void *opened = NULL;
    pg_io_return_t status = slot.backend->open(slot.object, &opened);
    if (status != PG_IO_RETURN_SUCCESS)
        return status;
    pg_io_connect_t handle = pg_io_insert(slot.backend, opened, true);
    if (handle == 0) {
        slot.backend->close(opened);
        return PG_IO_RETURN_NO_RESOURCES;
    }
    *connection = handle;
    return PG_IO_RETURN_SUCCESS;
}

pg_io_return_t pg_io_service_close(pg_io_connect_t connection)
{
    pg_io_slot slot;
    if (!pg_io_find(connection, true, true, &slot))
        return PG_IO_RETURN_NOT_OPEN;
    slot.backend->close(slot.object);
    return PG_IO_RETURN_SUCCESS;
}

pg_io_return_t pg_io_connect_call_struct_method(pg_io_connect_t connection, uint32_t selector,
                                                const void *input, size_t input_size, void *output,
                                                size_t *output_size)
{
    pg_io_slot slot;
    /* Only the owner of a connection calls it, so the object is used outside the table's lock. */
    if (!pg_io_find(connection, true, false, &slot))
        return PG_IO_RETURN_NOT_OPEN;
    if (selector != PG_SMC_STRUCT_METHOD)
        return PG_IO_RETURN_UNSUPPORTED;
    if (input == NULL || output == NULL || output_size == NULL || input_size != sizeof(pg_smc_key_record) ||
        *output_size < sizeof(pg_smc_key_record))
        return PG_IO_RETURN_BAD_ARGUMENT;
    pg_smc_key_record answer;
    memset(&answer, 0, sizeof answer);
    pg_io_return_t status = slot.backend->call(slot.object, input, &answer);
    if (status != PG_IO_RETURN_SUCCESS)
        return status;
    memcpy(output, &answer, sizeof answer);
    *output_size = sizeof answer;
    return PG_IO_RETURN_SUCCESS;
}
