#pragma once

#include "views/primitives/CardSurface.h"
#include "views/primitives/ThemeColor.h"

#include <QWidget>
#include <optional>

class QLayout;

namespace pulsegrove {

// How a card frame looks; colours are theme roles resolved at every repaint. The defaults are
// the panel's card: the theme's card colour at 0.86, a one-point outline in the shared border
// colour, corner radius 18, no shadow.
struct CardFrameStyle {
    static constexpr qreal panelFillOpacity = 0.86;
    static constexpr qreal settingsFillOpacity = 0.9;

    ThemeColor fill = ThemeColor::card(panelFillOpacity);
    ThemeColor border = ThemeColor::border();
    qreal borderWidth = 1;
    qreal cornerRadius = CardSurfaceStyle::defaultCornerRadius;
    std::optional<ViewShadow> shadow;

    // The panel's card with a shadow under it, as the quota cards have.
    static CardFrameStyle withShadow(const ViewShadow &shadow)
    {
        CardFrameStyle style;
        style.shadow = shadow;
        return style;
    }

    CardSurfaceStyle resolved() const;
};

// A container drawn as a card: its padding is its contents margins and its content is the
// layout given to setContentLayout. It takes the full width its own layout offers.
class CardFrame : public QWidget {
    Q_OBJECT

public:
    explicit CardFrame(int padding, const CardFrameStyle &style = {}, QWidget *parent = nullptr);

    const CardFrameStyle &style() const { return m_style; }
    void setStyle(const CardFrameStyle &style);
    int padding() const { return m_padding; }

    // Installs the content layout; its own margins are cleared because the padding is the frame's.
    void setContentLayout(QLayout *layout);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int m_padding;
    CardFrameStyle m_style;
};

} // namespace pulsegrove
