#pragma once

#include <QBrush>
#include <QColor>
#include <QIcon>
#include <QRectF>
#include <QString>
#include <QStringList>

class QPainter;

namespace pulsegrove {

// The interface names its pictograms by symbol names ("sparkles", "slider.horizontal.3", …).
// Each name has a vector picture of our own (SymbolDrawings), drawn tinted with a colour or a
// gradient at any size and pixel ratio. A name without a picture draws nothing.
class SymbolCatalog {
public:
    // Every symbol name with a picture, sorted.
    static QStringList symbolNames();

    // The symbol as an icon for widgets that take one (menu actions, buttons): drawn in `colour`,
    // or in the application palette's text colour of the icon's mode when `colour` is invalid; a
    // disabled icon is drawn faded. A null icon for a name without a picture.
    static QIcon icon(const QString &symbolName, const QColor &colour = {});

    // Draws the symbol into the largest square centred in `rect`, painted with `brush` (a
    // gradient brush is laid out in the painter's coordinates, so it may span more than the
    // symbol). Returns false, drawing nothing, when the symbol has no picture.
    static bool paint(QPainter &painter, const QRectF &rect, const QString &symbolName, const QBrush &brush);
};

} // namespace pulsegrove
