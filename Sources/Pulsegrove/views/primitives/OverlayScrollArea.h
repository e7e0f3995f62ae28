#pragma once

#include <QScrollArea>

namespace pulsegrove {

class OverlayScrollIndicator;

// A vertical scroll area whose scroll indicator floats over the right edge of the content (in
// its padding) instead of taking width from it, so the content keeps its width whether it
// scrolls or not. The indicator shows only while there is something to scroll, and its thumb
// can be dragged; the wheel and the keyboard scroll as usual.
class OverlayScrollArea : public QScrollArea {
    Q_OBJECT

public:
    static constexpr int indicatorWidth = 6;
    static constexpr int indicatorInset = 4;

    explicit OverlayScrollArea(QWidget *parent = nullptr);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void placeIndicator();

    OverlayScrollIndicator *m_indicator;
};

} // namespace pulsegrove
