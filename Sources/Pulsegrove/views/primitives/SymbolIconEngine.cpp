#include "views/primitives/SymbolIconEngine.h"

#include "views/primitives/SymbolCatalog.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <QPixmap>

namespace pulsegrove {

namespace {

// Disabled menu items of the desktop show their icons at about this opacity.
constexpr qreal disabledOpacity = 0.4;

} // namespace

SymbolIconEngine::SymbolIconEngine(const QString &symbolName, const QColor &colour)
    : m_symbolName(symbolName), m_colour(colour)
{
}

QColor SymbolIconEngine::colourFor(QIcon::Mode mode) const
{
    if (!m_colour.isValid()) {
        const QPalette palette = QGuiApplication::palette();
        if (mode == QIcon::Selected)
            return palette.color(QPalette::Active, QPalette::HighlightedText);
        return palette.color(mode == QIcon::Disabled ? QPalette::Disabled : QPalette::Active,
                             QPalette::WindowText);
    }
    QColor colour = m_colour;
    if (mode == QIcon::Disabled)
        colour.setAlphaF(colour.alphaF() * disabledOpacity);
    return colour;
}

void SymbolIconEngine::paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State)
{
    SymbolCatalog::paint(*painter, rect, m_symbolName, colourFor(mode));
}

QPixmap SymbolIconEngine::pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state)
{
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    paint(&painter, QRect(QPoint(), size), mode, state);
    return pixmap;
}

QList<QSize> SymbolIconEngine::availableSizes(QIcon::Mode, QIcon::State)
{
    return {QSize(16, 16), QSize(22, 22), QSize(24, 24), QSize(32, 32), QSize(48, 48), QSize(64, 64)};
}

QIconEngine *SymbolIconEngine::clone() const
{
    return new SymbolIconEngine(m_symbolName, m_colour);
}

QString SymbolIconEngine::key() const
{
    return QStringLiteral("PulsegroveSymbol");
}

} // namespace pulsegrove
