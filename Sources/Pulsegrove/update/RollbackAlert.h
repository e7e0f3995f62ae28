#pragma once

#include <QString>

class QMessageBox;

namespace pulsegrove {

// The alert that tells the user a rolled-back update left the previous version in place.
class RollbackAlert {
public:
    // Builds the alert (title, text naming the version, the one button); the caller shows it.
    static QMessageBox *make(const QString &version);
    // Shows it without blocking, in front, and lets it delete itself when dismissed.
    static void present(const QString &version);
};

} // namespace pulsegrove
