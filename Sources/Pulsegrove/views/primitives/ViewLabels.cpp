#include "views/primitives/ViewLabels.h"

#include <QLabel>

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

} // namespace pulsegrove::ViewLabels
