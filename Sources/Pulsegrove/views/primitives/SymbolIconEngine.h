#pragma once

#include <QColor>
#include <QIconEngine>

namespace pulsegrove {

// Draws one symbol's picture as an icon, sharp at every size and pixel ratio (QIcon asks for
// pixmaps in device pixels and sets their ratio itself): in a fixed colour,
// or in the application palette's text colour of the requested mode when the colour is invalid.
// A disabled icon is drawn faded, as the desktop draws disabled menu items.
class SymbolIconEngine : public QIconEngine {
public:
    SymbolIconEngine(const QString &symbolName, const QColor &colour);

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override;
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override;
    // Any size draws sharp; these are the sizes menus and trays commonly ask for.
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override;
    QIconEngine *clone() const override;
    QString key() const override;
    bool isNull() override { return false; }

    // The colour the symbol takes in `mode`.
    QColor colourFor(QIcon::Mode mode) const;

private:
    QString m_symbolName;
    QColor m_colour;
};

} // namespace pulsegrove
