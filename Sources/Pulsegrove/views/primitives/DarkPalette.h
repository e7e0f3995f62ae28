#pragma once

#include <QPalette>

class QWidget;

namespace pulsegrove {

// The panel and the settings window always draw in a dark scheme, whatever the desktop's own
// colours are: light text on dark surfaces, the only scheme the themed gradients and cards are drawn for.
class DarkPalette {
public:
    static QPalette palette();
    // Sets the palette on a top-level window; its children inherit it.
    static void apply(QWidget *window);
};

} // namespace pulsegrove
