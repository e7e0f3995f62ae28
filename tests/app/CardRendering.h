#pragma once

#include "UserDefaults.h"
#include "ViewRendering.h"
#include "preferences/PulsegrovePreferenceKeys.h"
#include "theme/QuotaThemeID.h"
#include "views/primitives/DarkPalette.h"
#include "views/primitives/ThemeColor.h"
#include "views/primitives/ViewColors.h"

#include <QPainter>
#include <QVBoxLayout>

namespace pulsegrove::testing {

// The panel's content column: 360 wide less 16 on each side.
constexpr int panelContentWidth = 328;

inline void selectTheme(QuotaThemeID theme)
{
    UserDefaults::standard()->setString(PulsegrovePreferenceKeys::theme, QuotaThemeIDs::rawValue(theme));
}

// Stands in for the panel's content column: the gradient and the column's padding around a card,
// so a card is seen as in the panel, its shadow included (a widget's own effect is drawn only
// when its parent draws it).
class PanelColumn : public QWidget {
public:
    static constexpr int padding = 16;

    explicit PanelColumn(QWidget *card)
    {
        auto *layout = new QVBoxLayout(this);
        layout->setContentsMargins(padding, padding, padding, padding);
        layout->addWidget(card);
        DarkPalette::apply(this);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), ViewColors::diagonalGradient(rect(), ThemeColor::panelTop().resolve(),
                                                              ThemeColor::panelBottom().resolve()));
    }
};

// Lays the card out at the panel's content width in a PanelColumn and draws the column at
// `scale` device pixels per point. The card goes back to having no parent afterwards.
inline QImage renderOnPanel(QWidget &card, qreal scale, const QString &name = {})
{
    QWidget *previousParent = card.parentWidget();
    QImage image;
    {
        PanelColumn column(&card);
        column.ensurePolished();
        const int width = panelContentWidth + 2 * PanelColumn::padding;
        column.resize(width,
                      column.hasHeightForWidth() ? column.heightForWidth(width) : column.sizeHint().height());
        column.layout()->activate();
        image = QImage(column.size() * scale, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(scale);
        image.fill(Qt::transparent);
        column.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        card.setParent(previousParent);
    }
    return snapshot(image.convertToFormat(QImage::Format_ARGB32), name);
}

} // namespace pulsegrove::testing
