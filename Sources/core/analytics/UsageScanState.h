#pragma once

#include <cstddef>
#include <nlohmann/json_fwd.hpp>

namespace pulsegrove {

// Progress of one report load, handed to the loader's progress callback. Without a usage scan a
// load has nothing to count: it reports one finished state.
struct UsageScanState {
    std::size_t processedItems = 0;
    std::size_t totalItems = 0;
    bool isFinished = false;

    nlohmann::json toJSON() const;

    friend bool operator==(const UsageScanState &, const UsageScanState &) = default;
};

} // namespace pulsegrove
