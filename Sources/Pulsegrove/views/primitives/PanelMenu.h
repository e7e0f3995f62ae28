#pragma once

#include <QMenu>

namespace pulsegrove {

// A drop-down menu of the panel: in the panel's dark scheme, and scrolling (rather than breaking
// into columns) when it holds more rows than the screen does, as a list of fifty reset credits
// may. A checkable entry's box is outlined so that it shows on the dark menu while empty, and
// filled with the theme's accent when ticked; a disabled entry is dimmed, not etched.
class PanelMenu : public QMenu {
    Q_OBJECT

public:
    explicit PanelMenu(QWidget *parent = nullptr);
};

} // namespace pulsegrove
