#pragma once

class QWidget;

namespace pulsegrove {

// Escape and Ctrl+W close a window, as on any desktop. They act while the window is active and
// no popup of its own holds the keyboard; closing runs the window's usual close handling.
struct CloseShortcuts {
    CloseShortcuts() = delete;

    static void install(QWidget &window);
};

} // namespace pulsegrove
