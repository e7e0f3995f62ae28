#pragma once

#include <QWidget>
#include <optional>

class QScrollBar;

namespace pulsegrove {

// The floating thumb of an OverlayScrollArea: a translucent capsule over a faint track that
// mirrors a (hidden) scroll bar and moves it when dragged.
class OverlayScrollIndicator : public QWidget {
    Q_OBJECT

public:
    explicit OverlayScrollIndicator(QScrollBar *bar, QWidget *parent = nullptr);

    // The thumb's rectangle in this widget, empty when nothing scrolls.
    QRectF thumbRect() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QScrollBar *m_bar;
    std::optional<qreal> m_dragOffset;
};

} // namespace pulsegrove
