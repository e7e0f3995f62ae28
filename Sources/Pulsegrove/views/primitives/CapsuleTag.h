#pragma once

#include "views/primitives/ThemeColor.h"

#include <QFont>
#include <QWidget>
#include <optional>

namespace pulsegrove {

// A short text on a filled capsule, at its ideal size: the quota cards' window tags ("5H"), the
// Spark card's "独立额度" mark and the face of the reset-credit menu (with a trailing chevron).
struct CapsuleTagStyle {
    QFont font;
    ThemeColor foreground = ThemeColor::accent();
    ThemeColor fill = ThemeColor::accent(0.12);
    qreal horizontalPadding = 7;
    qreal verticalPadding = 4;
    std::optional<QString> trailingSymbol;
    qreal symbolPoints = 8;
    qreal spacing = 5;
};

class CapsuleTag : public QWidget {
    Q_OBJECT

public:
    CapsuleTag(const QString &text, const CapsuleTagStyle &style, QWidget *parent = nullptr);

    const QString &text() const { return m_text; }
    void setText(const QString &text);
    const CapsuleTagStyle &style() const { return m_style; }

    // Text, symbol and spacing plus the padding on both sides; the tag never truncates.
    QSizeF idealSize() const;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    bool hasSymbol() const;

    QString m_text;
    CapsuleTagStyle m_style;
};

} // namespace pulsegrove
