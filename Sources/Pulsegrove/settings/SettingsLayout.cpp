#include "settings/SettingsLayout.h"

#include "views/primitives/CardFrame.h"
#include "views/primitives/IconTile.h"
#include "views/primitives/ViewFonts.h"
#include "views/primitives/ViewLabels.h"
#include "views/primitives/WrappingText.h"

#include <QBoxLayout>
#include <QLabel>

namespace pulsegrove {

QFont SettingsLayout::titleFont()
{
    return ViewFonts::systemFont(12.5, QFont::DemiBold);
}

QFont SettingsLayout::detailFont()
{
    return ViewFonts::systemFont(9.5, QFont::Medium);
}

IconTile *SettingsLayout::iconTile(const QString &symbol, qreal side, qreal radius, qreal points)
{
    return new IconTile(symbol, IconTileStyle{side, radius, ThemeColor::accent(0.11), std::nullopt, 1, points,
                                              ThemeColor::accent()});
}

std::pair<QWidget *, WrappingText *> SettingsLayout::titleAndDetail(const QString &title,
                                                                    const QString &detail, int spacing)
{
    auto *column = new QWidget;
    auto *layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    layout->addWidget(ViewLabels::makeLabel(title, titleFont()));
    auto *detailText = new WrappingText(detail, detailFont(), ThemeColor::secondaryText(), Qt::AlignLeft);
    layout->addWidget(detailText);
    return {column, detailText};
}

CardFrame *SettingsLayout::settingsCard(int padding, std::optional<ViewShadow> shadow)
{
    CardFrameStyle style;
    style.fill = ThemeColor::card(CardFrameStyle::settingsFillOpacity);
    style.shadow = shadow;
    return new CardFrame(padding, style);
}

void SettingsLayout::addSpacer(QBoxLayout *layout, int minimum)
{
    layout->addItem(new QSpacerItem(minimum, 0, QSizePolicy::Expanding, QSizePolicy::Minimum));
}

QHBoxLayout *SettingsLayout::rowLayout(int spacing)
{
    auto *layout = new QHBoxLayout;
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    return layout;
}

} // namespace pulsegrove
