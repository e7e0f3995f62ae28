#pragma once

#include <QIcon>
#include <QImage>
#include <QString>
#include <array>

namespace pulsegrove {

// Draws the status item's title as the tray icon. Trays ask for square pixmaps between 16 and
// 64 pixels (16 × scale on GNOME, 22 on Plasma) and scale anything else, so one pixmap is drawn
// for each usual size. The text is set in a bold condensed face, as large as the square allows;
// when the whole title would be too small to read, the per-cent sign goes and the digits stay.
// A thin dark outline around light glyphs keeps it legible on light and dark panels; the alpha
// dims the whole drawing.
class StatusItemIconRenderer {
public:
    static constexpr std::array<int, 6> sizes = {16, 22, 24, 32, 48, 64};

    // The text a pixmap of that size shows for the title.
    static QString fittedText(const QString &title, int size);
    static QImage render(const QString &title, qreal alpha, int size);
    static QIcon icon(const QString &title, qreal alpha);
};

} // namespace pulsegrove
