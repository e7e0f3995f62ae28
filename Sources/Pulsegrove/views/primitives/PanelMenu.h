#pragma once

#include <QMenu>

namespace pulsegrove {

// A drop-down menu of the panel: in the panel's dark scheme, and scrolling (rather than breaking
// into columns) when it holds more rows than the screen does, as a list of fifty reset credits
// may.
class PanelMenu : public QMenu {
    Q_OBJECT

public:
    explicit PanelMenu(QWidget *parent = nullptr);
};

} // namespace pulsegrove
