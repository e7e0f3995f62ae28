#include "views/primitives/ViewLabels.h"

#include <QFontMetricsF>
#include <QLabel>
#include <cmath>

namespace pulsegrove::ViewLabels {

QLabel *makeLabel(const QString &text, const QFont &font, const std::optional<ThemeColor> &color,
                  QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    label->setFont(font);
    if (color) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, color->resolve());
        label->setPalette(palette);
    }
    return label;
}

QLabel *makeWrappingLabel(const QString &text, const QFont &font, const std::optional<ThemeColor> &color,
                          Qt::Alignment alignment, QWidget *parent)
{
    QLabel *label = makeLabel(text, font, color, parent);
    label->setWordWrap(true);
    label->setAlignment(alignment | Qt::AlignTop);
    label->setMinimumHeight(static_cast<int>(std::ceil(QFontMetricsF(font).height())));
    label->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Minimum);
    return label;
}

} // namespace pulsegrove::ViewLabels
