#pragma once

#include "views/primitives/ThemeColor.h"

#include <QFont>
#include <QWidget>
#include <optional>

class QTextLayout;

namespace pulsegrove {

// Plain text (never markup: it may come from outside, like an error message) that wraps onto as
// many lines as the offered width needs; centred, its lines come out even. A word longer than
// the width is broken inside, so a long path or token in a message never widens its card. Even an
// empty text keeps the height of one line. The colour is a theme role resolved at every repaint;
// with none it takes the window's text colour.
class WrappingText : public QWidget {
    Q_OBJECT

public:
    WrappingText(const QString &text, const QFont &font, const std::optional<ThemeColor> &color,
                 Qt::Alignment alignment = Qt::AlignHCenter, QWidget *parent = nullptr);

    const QString &text() const { return m_text; }
    void setText(const QString &text);
    Qt::Alignment alignment() const { return m_alignment; }
    // At most this many lines, the last one elided when the text goes on; 0 (the default) means
    // as many as the text needs.
    void setMaximumLineCount(int count);

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // Lays the text out in lines of `width`, up to the line limit; returns the height of all
    // lines. `truncated` tells whether text was left over.
    qreal layOut(QTextLayout &layout, qreal width, bool *truncated = nullptr) const;
    qreal layOutLines(QTextLayout &layout, qreal lineWidth, qreal left, bool *truncated = nullptr) const;
    qreal balancedWidth(qreal width) const;
    qreal lineHeight() const;

    QString m_text;
    std::optional<ThemeColor> m_color;
    Qt::Alignment m_alignment;
    int m_maximumLineCount = 0;
};

} // namespace pulsegrove
