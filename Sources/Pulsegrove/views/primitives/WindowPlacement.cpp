#include "views/primitives/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <QWindow>
#include <algorithm>

namespace pulsegrove {

namespace {

// The frame the window manager drew last time, or, before the first showing, a title bar's worth
// as the style measures one (decorations vary, but the title bar is the part that must not land
// under a panel).
QMargins frameOf(const QWidget &window)
{
    if (const QWindow *handle = window.windowHandle(); handle && window.isVisible()) {
        const QMargins margins = handle->frameMargins();
        if (!margins.isNull())
            return margins;
    }
    return {0, window.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &window), 0, 0};
}

} // namespace

QRect WindowPlacement::fit(const QRect &available, QSize preferred, QSize minimum, const QMargins &frame)
{
    const QRect space = available.marginsRemoved(frame);
    const QSize size = preferred.boundedTo(space.size()).expandedTo(minimum);
    const int x = space.left() + std::max(0, (space.width() - size.width()) / 2);
    const int y = space.top() + std::max(0, (space.height() - size.height()) / 2);
    return {QPoint(x, y), size};
}

void WindowPlacement::placeOnPrimaryScreen(QWidget &window, QSize preferred, QSize minimum)
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen) {
        window.resize(preferred);
        return;
    }
    const bool fixed = window.minimumSize() == window.maximumSize();
    const QRect geometry = fit(screen->availableGeometry(), preferred, minimum, frameOf(window));
    if (fixed)
        window.setFixedSize(geometry.size());
    window.setGeometry(geometry);
}

} // namespace pulsegrove
