#pragma once

#include "views/primitives/ThemeColor.h"

#include <QWidget>
#include <optional>

namespace pulsegrove {

// A square tile: a rounded rectangle filled (and optionally outlined) with a symbol drawn over
// its centre, as the panel header's mark, the reset-credit card and the settings rows use.
struct IconTileStyle {
    qreal side = 34;
    qreal cornerRadius = 10;
    ThemeColor fill = ThemeColor::accent(0.12);
    std::optional<ThemeColor> stroke;
    qreal strokeWidth = 1;
    qreal symbolPoints = 15;
    ThemeColor symbolTint = ThemeColor::accent();
};

class IconTile : public QWidget {
    Q_OBJECT

public:
    IconTile(const QString &symbolName, const IconTileStyle &style, QWidget *parent = nullptr);

    const QString &symbolName() const { return m_symbolName; }
    const IconTileStyle &style() const { return m_style; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_symbolName;
    IconTileStyle m_style;
};

} // namespace pulsegrove
