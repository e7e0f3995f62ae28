#pragma once

#include <QBrush>
#include <QIcon>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <optional>

class QPainter;

namespace pulsegrove {

// The interface names its pictograms by symbol names ("sparkles", "slider.horizontal.3", …).
// This table maps each to a symbolic icon of the freedesktop Adwaita theme and draws it tinted:
// the icon is rendered, then every covered pixel takes the given colour or gradient. A symbol
// without an entry, or whose icon is not installed, draws nothing.
class SymbolCatalog {
public:
    // The freedesktop icon name that stands for `symbolName`, or nothing for an unknown symbol.
    static std::optional<QString> iconName(const QString &symbolName);
    // Every symbol name the table knows, sorted.
    static QStringList symbolNames();

    // The icon of the symbol: the Adwaita icon when installed, else the current icon theme's
    // icon of that name; a null icon when neither exists.
    static QIcon icon(const QString &symbolName);

    // Draws the symbol into the largest square centred in `rect`, painted with `brush` (a
    // gradient brush is laid out in the painter's coordinates, so it may span more than the
    // symbol). Returns false, drawing nothing, when the symbol has no icon.
    static bool paint(QPainter &painter, const QRectF &rect, const QString &symbolName, const QBrush &brush);
};

} // namespace pulsegrove
