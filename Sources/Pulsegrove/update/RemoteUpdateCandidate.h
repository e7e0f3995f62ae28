#pragma once

#include <QString>
#include <QUrl>

namespace pulsegrove {

// The signed release a check found newer than the running build: what the download needs.
struct RemoteUpdateCandidate {
    QString version;
    QUrl artifactURL;

    friend bool operator==(const RemoteUpdateCandidate &, const RemoteUpdateCandidate &) = default;
};

} // namespace pulsegrove
