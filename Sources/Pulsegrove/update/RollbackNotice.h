#pragma once

#include <QString>
#include <cstddef>
#include <optional>
#include <string_view>

namespace pulsegrove {

// The note a rolled-back update leaves for the previous version: a JSON object with exactly one
// key, "version", naming the version that could not be installed.
struct RollbackNotice {
    static constexpr std::size_t maximumSize = 4096;
    static constexpr int maximumVersionLength = 64;

    QString version;

    // Nothing for anything but that object with a version of 1 to 64 letters, digits, '.', '+'
    // or '-', beginning with a letter or digit.
    static std::optional<RollbackNotice> parse(std::string_view bytes);

    static QString alertTitle() { return QStringLiteral("更新未完成，已恢复上一版本"); }
    static QString alertButton() { return QStringLiteral("知道了"); }
    QString alertText() const;
};

} // namespace pulsegrove
