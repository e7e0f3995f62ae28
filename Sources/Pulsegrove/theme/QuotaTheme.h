#pragma once

#include "theme/QuotaThemeID.h"

#include <QColor>

namespace pulsegrove {

// The theme in force and the colours every theme shares.
struct QuotaTheme {
    QuotaTheme() = delete;

    // Read afresh from the process's standard user defaults on every call: the views call it
    // while drawing, after the quota store has stored the new choice. The defaults answer from
    // memory, so drawing touches no file. A missing or unknown value gives aurora. A store on
    // another suite (the settings preview) never changes it.
    static QuotaThemeID selected();
    // White at opacity 0.1: the outline of cards and panels.
    static const QColor &border();
    static const QColor &secondaryText();
};

} // namespace pulsegrove
