#pragma once

#include "views/primitives/ThemeColor.h"

#include <QPushButton>

namespace pulsegrove {

// A push button drawn in the panel's own style: a label with an optional leading symbol on a
// rounded face. `prominent` fills the face with the theme's accent and writes in a dark ink or
// white, whichever reads better on it; `bordered` lays a faint white face under text in the
// window's colour; `plain` has no face and writes in the shared secondary text colour, in
// whatever font it is given, at the text's own height. Sizes follow the platform's regular and
// large controls.
class ThemedButton : public QPushButton {
    Q_OBJECT

public:
    enum class Kind { prominent, bordered, plain };
    enum class ControlSize { regular, large };

    ThemedButton(const QString &text, const QString &symbolName, Kind kind, ControlSize size,
                 QWidget *parent = nullptr);

    Kind kind() const { return m_kind; }
    const QString &symbolName() const { return m_symbolName; }
    // The colour of the face, resolved now (the accent of the selected theme when prominent).
    QColor faceColor() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    struct Metrics {
        int height;
        int horizontalPadding;
        int symbolSide;
        int spacing;
        qreal cornerRadius;
    };
    Metrics metrics() const;
    // The label's colour on `face` as drawn (darker while pressed).
    QColor labelColor(const QColor &face) const;

    QString m_symbolName;
    Kind m_kind;
    ControlSize m_size;
};

} // namespace pulsegrove
