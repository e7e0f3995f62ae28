#pragma once

#include <QSystemTrayIcon>
#include <optional>

namespace pulsegrove {

// Turns the tray's activation reports into clicks. Hosts disagree on what a click sends (GNOME's
// AppIndicator extension sends an activation only on a double click; XEmbed trays send a trigger
// and then a double click), so a trigger and a double click both count, and a second report
// within 200 ms of an accepted one is the same gesture. Right and middle clicks are not clicks.
class TrayClickFilter {
public:
    static constexpr qint64 debounceMilliseconds = 200;

    // `nowMilliseconds` comes from a monotonic clock.
    bool accept(QSystemTrayIcon::ActivationReason reason, qint64 nowMilliseconds);

private:
    std::optional<qint64> m_lastAccepted;
};

} // namespace pulsegrove
