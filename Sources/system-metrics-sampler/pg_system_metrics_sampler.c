#include "pg_host.h"
#include "pg_io.h"
#include "pg_sampler_internal.h"
#include "pg_platform_files.h"

#include <stdlib.h>
#include <string.h>

/* The SMC's keys endpoint first, then the classic SMC service. */
static pg_io_connect_t pg_smc_open(const pg_sampler_platform *platform)
{
    pg_io_connect_t connection = pg_smc_open_matching(platform, "AppleSMCKeysEndpoint");
    if (connection == 0)
        connection = pg_smc_open_matching(platform, "AppleSMC");
    return connection;
}

static void pg_smc_close(pg_system_metrics_sampler *state)
{
    if (state->smc_connection != 0)
        pg_io_service_close(state->smc_connection);
    state->smc_connection = 0;
}

int pg_read_cpu_totals(const pg_sampler_platform *platform, uint64_t *busy, uint64_t *total)
{
    pg_processor_load *loads = NULL;
    uint32_t count = 0;
    if (busy == NULL || total == NULL || pg_host_processor_load(platform, &loads, &count) != 0 || loads == NULL)
        return 0;
    uint64_t busy_sum = 0, total_sum = 0;
    for (uint32_t i = 0; i < count; ++i) {
        const uint64_t *ticks = loads[i].ticks;
        uint64_t processor_busy =
            ticks[PG_CPU_STATE_USER] + ticks[PG_CPU_STATE_SYSTEM] + ticks[PG_CPU_STATE_NICE];
        busy_sum += processor_busy;
        total_sum += processor_busy + ticks[PG_CPU_STATE_IDLE];
    }
    pg_host_deallocate(loads);
    *busy = busy_sum;
    *total = total_sum;
    return 1;
}

pg_system_metrics_sampler *pg_system_metrics_sampler_create(void)
{
    return pg_system_metrics_sampler_create_on(pg_machine_platform());
}

pg_system_metrics_sampler *pg_system_metrics_sampler_create_on(const pg_sampler_platform *platform)
{
    pg_system_metrics_sampler *state = platform != NULL ? calloc(1, sizeof *state) : NULL;
    if (state == NULL)
        return NULL;
    state->platform = platform;
    uint64_t memory = 0;
    if (pg_host_physical_memory(platform, &memory) == 0)
        state->physical_memory = memory;
    uint64_t page_size = 0;
    state->page_size =
        pg_host_page_size(&page_size) == 0 && page_size != 0 ? page_size : PG_HOST_FALLBACK_PAGE_SIZE;
    state->smc_connection = pg_smc_open(platform);
    if (state->smc_connection == 0 || !pg_discover_temperature_key(state))
        state->next_smc_attempt = pg_platform_now(platform) + PG_SMC_RETRY_AFTER_FAILURE;
    uint64_t busy = 0, total = 0;
    if (pg_read_cpu_totals(platform, &busy, &total)) {
        state->previous_busy_ticks = busy;
        state->previous_total_ticks = total;
        state->has_previous_ticks = true;
    }
    return state;
}

/* CPU usage since the previous read. Totals that did not advance give no figure, and the newest
 * totals become the base either way. */
static void pg_sample_cpu(pg_system_metrics_sampler *state, pg_system_metrics_sample *sample)
{
    uint64_t busy = 0, total = 0;
    if (!pg_read_cpu_totals(state->platform, &busy, &total))
        return;
    if (state->has_previous_ticks && total > state->previous_total_ticks &&
        busy >= state->previous_busy_ticks) {
        sample->cpu_usage = (double)(busy - state->previous_busy_ticks) /
                            (double)(total - state->previous_total_ticks) * 100.0;
        sample->cpu_usage_valid = true;
    }
    state->previous_busy_ticks = busy;
    state->previous_total_ticks = total;
    state->has_previous_ticks = true;
}

/* Memory in use: every counted page minus the file-backed and purgeable ones, capped at the
 * physical memory. */
static void pg_sample_memory(const pg_system_metrics_sampler *state, pg_system_metrics_sample *sample)
{
    pg_vm_statistics statistics;
    if (state->physical_memory == 0 ||
        pg_host_vm_statistics(state->platform, state->page_size, &statistics) != 0)
        return;
    uint64_t in_use = statistics.active_count + statistics.inactive_count + statistics.wire_count +
                      statistics.speculative_count + statistics.compressor_page_count;
    uint64_t excluded = statistics.external_page_count + statistics.purgeable_count;
    uint64_t used_pages = in_use > excluded ? in_use - excluded : 0;
    /* Pages beyond the physical memory are capped before multiplying, so the product can
     * neither exceed the physical memory nor overflow. */
    uint64_t used_bytes = state->physical_memory;
    if (state->page_size == 0 || used_pages <= state->physical_memory / state->page_size)
        used_bytes = used_pages * state->page_size;
    sample->memory_used_bytes = used_bytes;
    sample->memory_total_bytes = state->physical_memory;
    sample->memory_used_percent = (double)used_bytes / (double)state->physical_memory * 100.0;
    sample->memory_valid = true;
}

static double pg_highest_cached_temperature(const pg_system_metrics_sampler *state)
{
    double highest = 0.0;
    for (int32_t i = 0; i < state->key_count && i < PG_TEMPERATURE_KEY_CAPACITY; ++i) {
        double reading = pg_smc_read_temperature(state->smc_connection, state->temperature_keys[i]);
        if (reading > highest)
            highest = reading;
    }
    return highest;
}

static void pg_sample_temperature(pg_system_metrics_sampler *state, pg_system_metrics_sample *sample)
{
    int64_t now = pg_platform_now(state->platform);
    if (state->key_count == 0 && now < state->next_smc_attempt)
        return;
    if (state->smc_connection == 0 && (state->smc_connection = pg_smc_open(state->platform)) == 0) {
        state->next_smc_attempt = now + PG_SMC_RETRY_AFTER_FAILURE;
        return;
    }
    if (state->key_count == 0 && !pg_discover_temperature_key(state)) {
        state->next_smc_attempt = now + PG_SMC_RETRY_AFTER_FAILURE;
        return;
    }
    double highest = pg_highest_cached_temperature(state);
    if (highest > 0.0) {
        state->next_smc_attempt = 0;
        sample->cpu_temperature = highest;
        sample->temperature_source = (uint32_t)state->temperature_source;
        sample->temperature_valid = true;
        return;
    }
    /* Every cached key failed: the sensors may have changed, so start over shortly with a fresh
     * connection and a fresh discovery. */
    state->key_count = 0;
    state->temperature_source = 0;
    pg_smc_close(state);
    state->next_smc_attempt = now + PG_SMC_RETRY_AFTER_INVALID_KEYS;
}

pg_system_metrics_sample pg_system_metrics_sampler_sample(pg_system_metrics_sampler *state)
{
    pg_system_metrics_sample sample;
    memset(&sample, 0, sizeof sample);
    if (state == NULL)
        return sample;
    pg_sample_cpu(state, &sample);
    pg_sample_memory(state, &sample);
    pg_sample_temperature(state, &sample);
    return sample;
}

void pg_system_metrics_sampler_destroy(pg_system_metrics_sampler *state)
{
    if (state == NULL)
        return;
    pg_smc_close(state);
    free(state);
}
