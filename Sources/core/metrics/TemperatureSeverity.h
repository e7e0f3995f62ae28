#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace pulsegrove {

// How hot the CPU runs, in bands of 10 °C from 80 °C up.
enum class TemperatureSeverity { unavailable, normal, warm, hot, critical };

struct TemperatureSeverities {
    TemperatureSeverities() = delete;

    static constexpr std::array<TemperatureSeverity, 5> allCases = {
        TemperatureSeverity::unavailable, TemperatureSeverity::normal, TemperatureSeverity::warm,
        TemperatureSeverity::hot, TemperatureSeverity::critical};

    // No reading: unavailable; below 80 normal, below 90 warm, below 100 hot; 100 and above
    // critical, and so is a reading that compares with nothing (NaN), to err on the safe side.
    static TemperatureSeverity fromCelsius(std::optional<double> celsius);
    static std::string_view displayName(TemperatureSeverity severity);
};

} // namespace pulsegrove
