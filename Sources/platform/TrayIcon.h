#pragma once

#include <QIcon>
#include <QObject>
#include <QRect>
#include <QString>

class QMenu;

namespace pulsegrove {

// One icon in the desktop's tray. Every setter reaches the tray host at once, so callers set only
// what changed: hosts redraw (and some flash) the icon on each call.
class TrayIcon : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~TrayIcon() override = default;

    virtual void setIcon(const QIcon &icon) = 0;
    virtual void setToolTip(const QString &toolTip) = 0;
    // The menu a right click opens (trays that export menus open it on other gestures too).
    virtual void setContextMenu(QMenu *menu) = 0;
    virtual void setVisible(bool visible) = 0;
    // The icon's area in global coordinates; empty when the tray does not tell, as trays that
    // speak StatusNotifierItem never do.
    virtual QRect geometry() const = 0;

Q_SIGNALS:
    // The item was clicked: a single or a double click, counted once.
    void clicked();
    // The item was right-clicked; trays that show a menu given to setContextMenu() have opened it.
    void contextClicked();
};

} // namespace pulsegrove
