#pragma once

#include "TrayClickFilter.h"
#include "TrayIcon.h"

#include <QElapsedTimer>
#include <QSystemTrayIcon>

namespace pulsegrove {

// A tray icon made by the toolkit, which speaks StatusNotifierItem when a watcher was on the bus
// at the moment it was made and XEmbed otherwise.
class QtTrayIcon final : public TrayIcon {
    Q_OBJECT
public:
    explicit QtTrayIcon(QObject *parent = nullptr);

    void setIcon(const QIcon &icon) override { m_icon.setIcon(icon); }
    void setToolTip(const QString &toolTip) override { m_icon.setToolTip(toolTip); }
    void setContextMenu(QMenu *menu) override { m_icon.setContextMenu(menu); }
    void setVisible(bool visible) override { m_icon.setVisible(visible); }
    QRect geometry() const override { return m_icon.geometry(); }

private:
    QSystemTrayIcon m_icon;
    TrayClickFilter m_clickFilter;
    QElapsedTimer m_clock;
};

} // namespace pulsegrove
