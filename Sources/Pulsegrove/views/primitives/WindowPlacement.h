#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

class QWidget;

namespace pulsegrove {

// Where a window opens: inside the screen's available area (the screen less its panels), with
// room for the frame the window manager adds, at its preferred size where that fits and shrunk
// towards its minimum size where it does not, centred in what is left.
struct WindowPlacement {
    WindowPlacement() = delete;

    // The window's own geometry (frame excluded) for that area, sizes and frame. A window whose
    // minimum does not fit keeps its minimum and starts at the area's top left, so its title bar
    // stays reachable.
    static QRect fit(const QRect &available, QSize preferred, QSize minimum, const QMargins &frame);

    // Places `window` so by the primary screen: its frame once it has been shown, else room for a
    // title bar. A window of fixed size (the previews) is fixed at the fitted size.
    static void placeOnPrimaryScreen(QWidget &window, QSize preferred, QSize minimum);
};

} // namespace pulsegrove
