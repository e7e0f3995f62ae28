#pragma once

#include "TrayIcon.h"

#include <QMenu>
#include <QPointer>

namespace pulsegrove {

// A tray icon that records what it was given and is clicked by hand, for tests.
class FakeTrayIcon final : public TrayIcon {
    Q_OBJECT
public:
    using TrayIcon::TrayIcon;

    void setIcon(const QIcon &newIcon) override
    {
        icon = newIcon;
        ++setIconCalls;
    }
    void setToolTip(const QString &newToolTip) override
    {
        toolTip = newToolTip;
        ++setToolTipCalls;
    }
    void setContextMenu(QMenu *menu) override { contextMenu = menu; }
    void setVisible(bool visible) override { isVisible = visible; }
    QRect geometry() const override { return iconGeometry; }

    void click() { Q_EMIT clicked(); }
    void rightClick() { Q_EMIT contextClicked(); }

    QIcon icon;
    QString toolTip;
    QPointer<QMenu> contextMenu;
    bool isVisible = false;
    QRect iconGeometry;
    int setIconCalls = 0;
    int setToolTipCalls = 0;
};

} // namespace pulsegrove
