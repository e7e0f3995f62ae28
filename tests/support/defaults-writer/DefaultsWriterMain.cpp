// defaults_writer <config folder> <suite> <key prefix> <count>
// Sets <prefix>0 … <prefix><count-1> to their index in the suite, one setter call each, as fast
// as it can, then waits for the writes. Exits with the number of setters that reported failure
// (plus one when a write failed; 0 when all succeeded), or 100 for bad arguments.
#include "UserDefaults.h"

#include <cstdlib>
#include <string>

int main(int argc, char **argv)
{
    if (argc != 5)
        return 100;
    const pulsegrove::Environment environment({{"XDG_CONFIG_HOME", argv[1]}});
    pulsegrove::UserDefaults defaults(argv[2], environment);
    const std::string prefix = argv[3];
    const int count = std::atoi(argv[4]);
    int failures = 0;
    for (int index = 0; index < count; ++index) {
        if (!defaults.setNumber(prefix + std::to_string(index), index))
            ++failures;
    }
    if (!defaults.flush())
        ++failures;
    return failures > 99 ? 99 : failures;
}
