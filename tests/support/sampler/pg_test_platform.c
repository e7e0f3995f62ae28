#include "pg_test_platform.h"

#include "pg_smc_backend.h"

#include <string.h>
#include <time.h>

extern const pg_smc_backend pg_fake_smc_backend;

static int pg_test_path(const pg_sampler_platform *platform, char *out, size_t size, const char *absolute_path)
{
    const pg_test_platform *test = (const pg_test_platform *)platform;
    size_t root_length = strlen(test->root);
    size_t path_length = strlen(absolute_path);
    if (root_length + path_length + 1 > size)
        return 0;
    memcpy(out, test->root, root_length);
    memcpy(out + root_length, absolute_path, path_length + 1);
    return 1;
}

static int64_t pg_test_now(const pg_sampler_platform *platform)
{
    const pg_test_platform *test = (const pg_test_platform *)platform;
    return test->clock != NULL ? test->clock() : (int64_t)time(NULL);
}

int pg_test_platform_init(pg_test_platform *test, const char *root)
{
    size_t length = root != NULL ? strlen(root) : 0;
    if (length >= sizeof test->root)
        return 0;
    memset(test, 0, sizeof *test);
    test->platform = (pg_sampler_platform){&pg_linux_smc_backend, pg_test_path, pg_test_now, NULL};
    if (length > 0)
        memcpy(test->root, root, length + 1);
    /* "/tmp/x/" and "/tmp/x" name the same root, and "/" is the machine's. */
    while (length > 0 && test->root[length - 1] == '/')
        test->root[--length] = '\0';
    return 1;
}

void pg_test_platform_set_clock(pg_test_platform *test, pg_test_clock clock)
{
    test->clock = clock;
}

void pg_test_platform_set_smc(pg_test_platform *test, pg_fake_smc *script)
{
    test->smc = script;
    test->platform.smc = script != NULL ? &pg_fake_smc_backend : &pg_linux_smc_backend;
}
