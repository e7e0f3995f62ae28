#include "settings/ThemeSwatchButton.h"

#include "views/primitives/RoundedShape.h"
#include "views/primitives/SymbolCatalog.h"
#include "views/primitives/SymbolLabel.h"
#include "views/primitives/ViewColors.h"
#include "views/primitives/ViewFonts.h"

#include <QFontMetricsF>
#include <QPainter>
#include <cmath>

namespace pulsegrove {

using Model = ThemePickerModel;

ThemeSwatchButton::ThemeSwatchButton(QuotaThemeID theme, std::function<QuotaThemeID()> currentTheme,
                                     QWidget *parent)
    : QAbstractButton(parent), m_theme(theme), m_currentTheme(std::move(currentTheme))
{
    setCheckable(true);
    setFont(ViewFonts::systemFont(8.5, QFont::Bold));
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    refresh();
}

ThemeOptionStyle ThemeSwatchButton::style() const
{
    return Model::option(m_theme, m_currentTheme());
}

void ThemeSwatchButton::refresh()
{
    const ThemeOptionStyle current = style();
    setChecked(current.isSelected);
    setText(current.name);
    setToolTip(current.toolTip);
    setAccessibleName(current.accessibleLabel);
    update();
}

void ThemeSwatchButton::nextCheckState()
{
    // The press only asks for the theme; the selection follows the store, not the click.
}

qreal ThemeSwatchButton::nameHeight() const
{
    return std::ceil(QFontMetricsF(font()).height());
}

QSize ThemeSwatchButton::sizeHint() const
{
    const qreal nameWidth = QFontMetricsF(font()).horizontalAdvance(text());
    const qreal height = 2 * Model::optionPadding + Model::swatchHeight + Model::optionSpacing + nameHeight();
    return {static_cast<int>(std::ceil(nameWidth + 2 * Model::optionPadding)), static_cast<int>(height)};
}

QSize ThemeSwatchButton::minimumSizeHint() const
{
    return {Model::minimumColumnWidth, sizeHint().height()};
}

void ThemeSwatchButton::paintEvent(QPaintEvent *)
{
    const ThemeOptionStyle look = style();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF frame = rect();
    RoundedShape::fill(painter, frame, Model::optionRadius, look.background);
    RoundedShape::stroke(painter, frame, Model::optionRadius, look.outline, look.outlineWidth);
    if (hasFocus())
        RoundedShape::stroke(painter, frame.adjusted(-0.5, -0.5, 0.5, 0.5), Model::optionRadius,
                             ViewColors::srgb(1, 1, 1, 0.55), 1.5);

    const QRectF content = frame.adjusted(Model::optionPadding, Model::optionPadding, -Model::optionPadding,
                                          -Model::optionPadding);
    const QRectF swatch(content.left(), content.top(), std::max<qreal>(0, content.width()),
                        Model::swatchHeight);
    RoundedShape::fill(painter, swatch, Model::swatchRadius,
                       ViewColors::diagonalGradient(swatch, look.swatchStart, look.swatchEnd));
    if (look.isSelected) {
        const qreal side = Model::checkmarkPoints;
        const QRectF mark(swatch.right() - Model::checkmarkPadding - side,
                          swatch.top() + Model::checkmarkPadding, side, side);
        SymbolCatalog::paint(painter, mark, Model::checkmarkSymbol(), ViewColors::srgb(1, 1, 1, 0.94));
    }

    const QRectF nameRect(content.left(), swatch.bottom() + Model::optionSpacing, content.width(),
                          nameHeight());
    const SymbolLabel::FittedText fitted =
        SymbolLabel::fit(font(), look.name, nameRect.width(), Model::nameMinimumScaleFactor);
    painter.setFont(fitted.font);
    painter.setPen(look.nameColor);
    painter.drawText(nameRect, Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine, fitted.text);
}

} // namespace pulsegrove
