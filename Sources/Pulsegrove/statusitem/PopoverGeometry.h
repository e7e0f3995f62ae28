#pragma once

#include <QPoint>
#include <QRect>
#include <QSizeF>
#include <optional>

namespace pulsegrove {

// The size and place of the status item's popover, as plain functions of the screen and the
// panel's wishes.
struct PopoverGeometry {
    PopoverGeometry() = delete;

    static constexpr qreal width = 360.0;
    static constexpr qreal maximumHeight = 770.0;
    static constexpr qreal minimumHeightLimit = 480.0;
    static constexpr qreal screenMargin = 48.0;
    static constexpr qreal noScreenHeightLimit = 670.0;
    // Sizes closer than this are the same size, so the panel's reports cannot cause resize loops.
    static constexpr qreal sizeTolerance = 0.5;
    // A limit that moved by more than this needs a panel built for it.
    static constexpr qreal rebuildTolerance = 1.0;
    // The gap between the tray icon (or the pointer) and the popover.
    static constexpr int anchorGap = 4;

    // min(max(visible height − 48, 480), 770) for a screen of that visible height; 670 without.
    static qreal heightLimit(std::optional<qreal> visibleHeight);
    // 360 wide, as high as the panel wants within the limit.
    static QSizeF targetSize(qreal heightLimit, qreal preferredHeight);
    static bool needsResize(const QSizeF &current, const QSizeF &target);
    static bool needsRebuild(bool hasContent, qreal heightLimit, qreal configuredMaximumHeight);

    // The popover's frame: centred under the anchor (the tray icon's area when the tray tells it,
    // else a one-pixel area at the pointer), above it when it does not fit below, and always
    // inside the screen's available area (its top-left corner wins when the popover is larger).
    static QRect frame(const QSize &size, const QRect &anchor, const QRect &available);
    // The frame on the screen under the anchor's centre (else the primary screen); the popover
    // and the tray icon's menus both open there.
    static QRect frameOnScreen(const QSize &size, const QRect &anchor);
};

} // namespace pulsegrove
