#include "QtTrayIcon.h"

namespace pulsegrove {

QtTrayIcon::QtTrayIcon(QObject *parent) : TrayIcon(parent)
{
    m_clock.start();
    connect(&m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Context)
            Q_EMIT contextClicked();
        else if (m_clickFilter.accept(reason, m_clock.elapsed()))
            Q_EMIT clicked();
    });
}

} // namespace pulsegrove
