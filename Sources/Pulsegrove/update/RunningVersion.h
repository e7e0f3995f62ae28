#pragma once

#include <QString>

namespace pulsegrove {

// The version of this build: the short version ("1.6.0") and the build number.
struct RunningVersion {
    QString shortVersion;
    QString buildNumber;

    static RunningVersion current();
    // What the health marker holds: each part followed by a line feed.
    QString healthMarkerText() const
    {
        return shortVersion + QLatin1Char('\n') + buildNumber + QLatin1Char('\n');
    }
};

} // namespace pulsegrove
