#include "views/primitives/WrappingText.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>
#include <algorithm>
#include <cmath>

namespace pulsegrove {

namespace {

// Without a width to fit, a paragraph is laid out no wider than this many average characters,
// as a plain label would, so one long message does not ask for a window-wide card.
constexpr int preferredCharacters = 60;

} // namespace

WrappingText::WrappingText(const QString &text, const QFont &font, const std::optional<ThemeColor> &color,
                           Qt::Alignment alignment, QWidget *parent)
    : QWidget(parent), m_text(text), m_color(color), m_alignment(alignment & Qt::AlignHorizontal_Mask)
{
    setFont(font);
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Minimum);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    setAccessibleName(m_text);
}

void WrappingText::setText(const QString &text)
{
    if (text == m_text)
        return;
    m_text = text;
    setAccessibleName(m_text);
    // The new text may need another number of lines.
    updateGeometry();
    update();
}

qreal WrappingText::lineHeight() const
{
    return QFontMetricsF(font()).height();
}

void WrappingText::setMaximumLineCount(int count)
{
    m_maximumLineCount = std::max(0, count);
    updateGeometry();
    update();
}

qreal WrappingText::layOut(QTextLayout &layout, qreal width, bool *truncated) const
{
    const qreal lineWidth = balancedWidth(width);
    return layOutLines(layout, lineWidth, (width - lineWidth) / 2, truncated);
}

qreal WrappingText::layOutLines(QTextLayout &layout, qreal lineWidth, qreal left, bool *truncated) const
{
    QString text = m_text;
    text.replace(QLatin1Char('\n'), QChar::LineSeparator);
    layout.setText(text);
    layout.setFont(font());
    QTextOption option(m_alignment);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    qreal y = 0;
    int lines = 0;
    bool leftOver = false;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        if (m_maximumLineCount > 0 && lines == m_maximumLineCount) {
            // A line made and not placed would still be drawn: give it no text by ending here.
            leftOver = true;
            line.setNumColumns(0);
            break;
        }
        line.setLineWidth(std::max<qreal>(1.0, lineWidth));
        line.setPosition(QPointF(left, y));
        y += line.height();
        ++lines;
    }
    layout.endLayout();
    if (truncated)
        *truncated = leftOver;
    return std::max(y, lineHeight());
}

// A centred paragraph that wraps is laid out as narrow as it can be without needing one more
// line, so its lines come out even instead of leaving a word or two alone on the last one.
qreal WrappingText::balancedWidth(qreal width) const
{
    const auto lineCountAt = [this](qreal lineWidth) {
        QTextLayout layout;
        layOutLines(layout, lineWidth, 0);
        return layout.lineCount();
    };
    if (!(m_alignment & Qt::AlignHCenter) || m_maximumLineCount > 0 || width <= 1)
        return width;
    const int lines = lineCountAt(width);
    if (lines < 2)
        return width;
    qreal tooNarrow = width / (lines + 1);
    qreal enough = width;
    while (enough - tooNarrow > 1) {
        const qreal middle = (tooNarrow + enough) / 2;
        (lineCountAt(middle) > lines ? tooNarrow : enough) = middle;
    }
    return std::ceil(enough);
}

int WrappingText::heightForWidth(int width) const
{
    QTextLayout layout;
    return static_cast<int>(std::ceil(layOut(layout, width)));
}

QSize WrappingText::sizeHint() const
{
    const QFontMetricsF metrics(font());
    qreal natural = 0;
    for (const QString &paragraph : m_text.split(QLatin1Char('\n')))
        natural = std::max(natural, metrics.horizontalAdvance(paragraph));
    const int width =
        static_cast<int>(std::ceil(std::min(natural, metrics.averageCharWidth() * preferredCharacters)));
    return {width, heightForWidth(width)};
}

QSize WrappingText::minimumSizeHint() const
{
    return {0, static_cast<int>(std::ceil(lineHeight()))};
}

void WrappingText::paintEvent(QPaintEvent *)
{
    QTextLayout layout;
    bool truncated = false;
    layOut(layout, width(), &truncated);
    QPainter painter(this);
    painter.setPen(m_color ? m_color->resolve() : palette().color(QPalette::WindowText));
    const int placedLines = truncated ? m_maximumLineCount : layout.lineCount();
    const int fullLines = truncated ? placedLines - 1 : placedLines;
    for (int index = 0; index < fullLines; ++index)
        layout.lineAt(index).draw(&painter, QPointF(0, 0));
    if (!truncated)
        return;
    // The last line holds the rest of the text, cut with an ellipsis where the width ends.
    const QTextLine last = layout.lineAt(placedLines - 1);
    const QString rest = layout.text().mid(last.textStart()).replace(QChar::LineSeparator, QLatin1Char(' '));
    const QString elided = QFontMetricsF(font()).elidedText(rest, Qt::ElideRight, width());
    painter.setFont(font());
    painter.drawText(QRectF(0, last.y(), width(), last.height()),
                     static_cast<int>(m_alignment) | Qt::AlignVCenter | Qt::TextSingleLine, elided);
}

} // namespace pulsegrove
