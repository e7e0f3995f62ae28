#pragma once

#include "TrayHost.h"

#include <QPointer>
#include <QRect>
#include <QWidget>

namespace pulsegrove {

// The transient window that shows the quota panel under the status item. On X11 it is a
// frameless popup placed at the tray icon (or the pointer) and clamped to the screen; it closes on
// a click outside it and on Escape. Where the compositor places windows (native Wayland) popups
// cannot be placed or grab the pointer, so it is a frameless dialog the compositor places, and
// its owner closes it when the application loses activation.
class StatusPopover final : public QWidget {
    Q_OBJECT
public:
    static constexpr const char *windowTitle = "Pulse Grove";

    explicit StatusPopover(PopupPlacement placement, QWidget *parent = nullptr);
    ~StatusPopover() override;

    PopupPlacement placement() const { return m_placement; }
    QWidget *content() const { return m_content; }
    // Takes the widget; the earlier content is dropped (after it has been hidden). Null drops it.
    void setContent(QWidget *content);
    QSize contentSize() const { return size(); }
    // Resizes, keeping the popover at its anchor while it is shown.
    void setContentSize(const QSize &size);
    bool isShown() const { return isVisible(); }
    // Shows the popover at the anchor, a rectangle in global coordinates.
    void showAt(const QRect &anchor);
    void performClose();

Q_SIGNALS:
    // The popover went off screen, whatever closed it.
    void didClose();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void place();

    PopupPlacement m_placement;
    QPointer<QWidget> m_content;
    QRect m_anchor;
};

} // namespace pulsegrove
