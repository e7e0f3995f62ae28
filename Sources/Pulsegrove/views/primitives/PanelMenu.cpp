#include "views/primitives/PanelMenu.h"

#include "theme/QuotaTheme.h"
#include "theme/QuotaThemeID.h"
#include "views/primitives/DarkPalette.h"
#include "views/primitives/RoundedShape.h"
#include "views/primitives/ViewColors.h"

#include <QPainter>
#include <QPainterPath>
#include <QProxyStyle>
#include <QStyleOption>

namespace pulsegrove {

namespace {

constexpr qreal checkBoxRadius = 3;
// A disabled box fades as far as a disabled switch does.
constexpr qreal disabledOpacity = 0.45;

struct CheckBoxColors {
    QColor outline;
    QColor fill;
    QColor mark;
};

// The style's own box is outlined a shade darker than the menu, which on the dark menu cannot be
// seen while the box is empty. So the outline is the secondary text colour (white on a hovered
// row), and a ticked box is filled with the theme's accent and marked in the ink that reads on it.
CheckBoxColors checkBoxColors(const QStyleOption &option)
{
    const bool hovered = option.state & QStyle::State_Selected;
    const QColor outline =
        hovered ? option.palette.color(QPalette::HighlightedText) : QuotaTheme::secondaryText();
    if (!(option.state & QStyle::State_On))
        return {outline, Qt::transparent, Qt::transparent};
    const QColor accent = QuotaThemeIDs::palette(QuotaTheme::selected()).accent;
    return {hovered ? outline : accent, accent, ViewColors::textOnFill(accent)};
}

void drawCheckMark(QPainter &painter, const QRectF &box, const QColor &color)
{
    QPainterPath mark;
    mark.moveTo(box.left() + box.width() * 0.24, box.top() + box.height() * 0.52);
    mark.lineTo(box.left() + box.width() * 0.42, box.top() + box.height() * 0.7);
    mark.lineTo(box.left() + box.width() * 0.76, box.top() + box.height() * 0.31);
    painter.setPen(QPen(color, std::max(1.5, box.width() / 8), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(mark);
}

void drawCheckBox(const QStyleOption &option, QPainter &painter)
{
    const CheckBoxColors colors = checkBoxColors(option);
    const QRectF box = option.rect;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    if (!(option.state & QStyle::State_Enabled))
        painter.setOpacity(disabledOpacity);
    RoundedShape::fill(painter, box, checkBoxRadius, colors.fill);
    RoundedShape::stroke(painter, box, checkBoxRadius, colors.outline, 1);
    if (option.state & QStyle::State_On)
        drawCheckMark(painter, box, colors.mark);
    painter.restore();
}

// Scrolls (rather than breaking into columns), draws disabled text once and draws the check boxes
// of checkable entries.
class PanelMenuStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == QStyle::SH_Menu_Scrollable)
            return 1;
        // An etched copy under dimmed text reads as a smear on the dark menu.
        if (hint == QStyle::SH_EtchDisabledText)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }

    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget) const override
    {
        if (element == PE_IndicatorCheckBox && option && painter)
            drawCheckBox(*option, *painter);
        else
            QProxyStyle::drawPrimitive(element, option, painter, widget);
    }
};

} // namespace

PanelMenu::PanelMenu(QWidget *parent) : QMenu(parent)
{
    auto *style = new PanelMenuStyle;
    style->setParent(this);
    setStyle(style);
    setPalette(DarkPalette::palette());
}

} // namespace pulsegrove
