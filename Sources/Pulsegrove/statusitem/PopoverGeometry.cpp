#include "statusitem/PopoverGeometry.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <cmath>

namespace pulsegrove {

qreal PopoverGeometry::heightLimit(std::optional<qreal> visibleHeight)
{
    if (!visibleHeight)
        return noScreenHeightLimit;
    return std::min(std::max(*visibleHeight - screenMargin, minimumHeightLimit), maximumHeight);
}

QSizeF PopoverGeometry::targetSize(qreal heightLimit, qreal preferredHeight)
{
    return {width, std::min(heightLimit, preferredHeight)};
}

bool PopoverGeometry::needsResize(const QSizeF &current, const QSizeF &target)
{
    return std::abs(current.height() - target.height()) > sizeTolerance ||
           std::abs(current.width() - target.width()) > sizeTolerance;
}

bool PopoverGeometry::needsRebuild(bool hasContent, qreal heightLimit, qreal configuredMaximumHeight)
{
    return !hasContent || std::abs(heightLimit - configuredMaximumHeight) > rebuildTolerance;
}

QRect PopoverGeometry::frame(const QSize &size, const QRect &target, const QRect &available)
{
    int x = target.left() + target.width() / 2 - size.width() / 2;
    int y = target.bottom() + 1 + anchorGap;
    if (y + size.height() > available.bottom() + 1)
        y = target.top() - anchorGap - size.height();
    // Clamp the far edge first so that the near edge wins for a popover larger than the area.
    x = std::max(std::min(x, available.right() + 1 - size.width()), available.left());
    y = std::max(std::min(y, available.bottom() + 1 - size.height()), available.top());
    return {QPoint(x, y), size};
}

QRect PopoverGeometry::frameOnScreen(const QSize &size, const QRect &anchor)
{
    const QScreen *screen = QGuiApplication::screenAt(anchor.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return frame(size, anchor, screen ? screen->availableGeometry() : QRect(QPoint(0, 0), size));
}

} // namespace pulsegrove
