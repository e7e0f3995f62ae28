#pragma once

#include "Logger.h"
#include "TrayHost.h"
#include "TrayIcon.h"

#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

namespace pulsegrove {

// The application's item in the desktop's tray and its button: it keeps the button's title,
// alpha, tool tip, accessibility texts, highlight, menu and action, and shows what a tray can show
// of them (the title drawn as the icon, dimmed by the alpha, and the tool tip).
//
// The button exists only while a tray shows the item. The tray icon is made when a tray host
// appears and made anew when the host goes and comes back, carrying the kept state over; a
// desktop without any tray gets no button, and the log says so once. The host is asked to redraw
// only when the drawn title, the alpha or the tool tip really changed.
class StatusItem final : public QObject {
    Q_OBJECT
public:
    // How long a desktop may take to start its tray before the log says that there is none.
    static constexpr int noTrayNoticeMilliseconds = 10000;

    StatusItem(TrayHost *host, std::shared_ptr<SystemLog> log, QObject *parent = nullptr);
    ~StatusItem() override;

    // How long to wait for a tray before saying there is none (tests shorten it).
    void setNoTrayNoticeDelay(int milliseconds) { m_noTrayNotice.setInterval(milliseconds); }

    bool hasButton() const { return m_icon != nullptr; }

    const QString &title() const { return m_title; }
    void setTitle(const QString &title);
    qreal alpha() const { return m_alpha; }
    void setAlpha(qreal alpha);
    const QString &toolTip() const { return m_toolTip; }
    void setToolTip(const QString &toolTip);
    // Kept for the accessibility of the button; trays have no place for them beyond the tool tip.
    const QString &accessibilityLabel() const { return m_accessibilityLabel; }
    void setAccessibilityLabel(const QString &label) { m_accessibilityLabel = label; }
    const QString &accessibilityValue() const { return m_accessibilityValue; }
    void setAccessibilityValue(const QString &value) { m_accessibilityValue = value; }
    bool isHighlighted() const { return m_highlighted; }
    void highlight(bool highlighted) { m_highlighted = highlighted; }
    const QString &autosaveName() const { return m_autosaveName; }
    void setAutosaveName(const QString &name) { m_autosaveName = name; }

    // The menu a click opens; while one is set the action is not called.
    QMenu *menu() const { return m_menu; }
    void setMenu(QMenu *menu) { m_menu = menu; }
    // What a click does while no menu is set.
    void setAction(std::function<void()> action) { m_action = std::move(action); }
    bool hasAction() const { return static_cast<bool>(m_action); }
    // The menu of a right click, whatever a click does: some trays hide items without one and
    // open it on a plain click. Trays that draw menus themselves get it; on an XEmbed tray the
    // item opens it beside the icon, where the popover opens, rather than over the icon.
    void setContextMenu(QMenu *menu);

    // The button's area on screen; empty when the tray does not tell or there is no button.
    QRect buttonGeometry() const;
    PopupPlacement popupPlacement() const;
    // A click on the button: opens the menu at the button, else calls the action.
    void performClick();
    // Where a menu or popup opened from the button goes: the button's area when known, else a
    // one-pixel area at the pointer.
    QRect popupAnchor() const;

Q_SIGNALS:
    // The button appeared or went away.
    void buttonChanged();

protected:
    // Keeps a menu opened from the button beside it while its rows grow or shrink.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void followHost();
    // Whether the item opens the context menu itself: on XEmbed trays, whose icon has a known place.
    bool opensContextMenu() const;
    QMenu *menuForIcon() const { return opensContextMenu() ? nullptr : m_contextMenu.data(); }
    // Opens a menu beside the button, as the popover opens, and keeps it there while it is open.
    void openMenu(QMenu *menu);
    void placeOpenMenu();
    void applyIcon();
    void applyToolTip();
    void reportMissingTray();

    QPointer<TrayHost> m_host;
    Logger m_logger;
    std::unique_ptr<TrayIcon> m_icon;
    QString m_title;
    qreal m_alpha = 1.0;
    QString m_toolTip;
    QString m_accessibilityLabel;
    QString m_accessibilityValue;
    QString m_autosaveName;
    bool m_highlighted = false;
    QPointer<QMenu> m_menu;
    QPointer<QMenu> m_contextMenu;
    std::function<void()> m_action;
    // The menu opened from the button and the area it opened beside, while it is open.
    QPointer<QMenu> m_openMenu;
    QRect m_openMenuAnchor;
    // What the current icon was last given, so unchanged values are not sent again.
    std::optional<std::pair<QString, qreal>> m_appliedIcon;
    std::optional<QString> m_appliedToolTip;
    QTimer m_noTrayNotice;
    bool m_reportedMissingTray = false;
};

} // namespace pulsegrove
