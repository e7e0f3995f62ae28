#pragma once

#include "views/primitives/ThemeColor.h"

#include <QFont>
#include <QWidget>

namespace pulsegrove {

// A one-line label with a leading symbol in the text's colour, as the cards' footers and the
// panel's status line write them. When the width offered is too small the text first shrinks,
// down to the minimum scale factor (1 by default: no shrinking), and only then is elided.
class SymbolLabel : public QWidget {
    Q_OBJECT

public:
    static constexpr qreal spacing = 5;

    struct FittedText {
        QFont font;
        QString text;
    };
    // The font and text that fit `width`: the text as it is when it fits, else the font scaled
    // down as far as needed but not below `minimumScaleFactor`, then the text elided.
    static FittedText fit(const QFont &font, const QString &text, qreal width, qreal minimumScaleFactor);

    SymbolLabel(const QString &symbolName, const QString &text, const QFont &font, const ThemeColor &color,
                QWidget *parent = nullptr);

    const QString &text() const { return m_text; }
    void setText(const QString &text);
    void setMinimumScaleFactor(qreal factor);
    qreal minimumScaleFactor() const { return m_minimumScaleFactor; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    qreal symbolSide() const;

    QString m_symbolName;
    QString m_text;
    ThemeColor m_color;
    qreal m_minimumScaleFactor = 1.0;
};

} // namespace pulsegrove
