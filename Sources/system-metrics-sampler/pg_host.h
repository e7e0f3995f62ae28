#pragma once

/* A small stand-in of the host statistics the sampler asks for: per-processor load ticks from
 * /proc/stat, virtual-memory counters and physical memory from /proc/meminfo, and the page size. */

#include "pg_sampler_platform.h"

#include <stdint.h>

enum { PG_CPU_STATE_USER, PG_CPU_STATE_SYSTEM, PG_CPU_STATE_IDLE, PG_CPU_STATE_NICE, PG_CPU_STATE_COUNT };

typedef struct pg_processor_load {
    uint64_t ticks[PG_CPU_STATE_COUNT];
} pg_processor_load;

/* Page counts. */
typedef struct pg_vm_statistics {
    uint64_t active_count;
    uint64_t inactive_count;
    uint64_t wire_count;
    uint64_t speculative_count;
    uint64_t compressor_page_count;
    uint64_t external_page_count;
    uint64_t purgeable_count;
} pg_vm_statistics;

/* The load ticks of every processor in a fresh array released with pg_host_deallocate; 0 on
 * success. */
int pg_host_processor_load(const pg_sampler_platform *host, pg_processor_load **loads, uint32_t *processor_count);
void pg_host_deallocate(void *array);

/* 0 on success. */
int pg_host_vm_statistics(const pg_sampler_platform *host, uint64_t page_size, pg_vm_statistics *statistics);
int pg_host_physical_memory(const pg_sampler_platform *host, uint64_t *bytes);
int pg_host_page_size(uint64_t *bytes);

/* The page size to use when the host does not tell one. */
#define PG_HOST_FALLBACK_PAGE_SIZE 4096u
