#pragma once

#include "views/primitives/ThemeColor.h"

#include <QAbstractButton>
#include <QFont>

namespace pulsegrove {

// A faceless on/off button that shows or hides part of a card: an optional text followed by a
// chevron that points down while closed and up while open. Clicking, or Space while it has
// focus, flips it and emits toggled().
class DisclosureButton : public QAbstractButton {
    Q_OBJECT

public:
    static constexpr qreal spacing = 5;

    DisclosureButton(const QString &text, const QString &accessibleLabel, const QFont &font,
                     const ThemeColor &color = ThemeColor::secondaryText(), QWidget *parent = nullptr);

    static QString chevronSymbol(bool isOpen);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    qreal chevronSide() const;

    ThemeColor m_color;
};

} // namespace pulsegrove
