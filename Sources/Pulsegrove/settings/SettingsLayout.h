#pragma once

#include "views/primitives/CardSurface.h"

#include <QFont>
#include <QString>
#include <optional>
#include <utility>

class QBoxLayout;
class QHBoxLayout;
class QWidget;

namespace pulsegrove {

class CardFrame;
class IconTile;
class WrappingText;

// The pieces every card of the settings window is made of.
struct SettingsLayout {
    SettingsLayout() = delete;

    // Card titles (12.5 semibold rounded) and their secondary lines (9.5 medium).
    static QFont titleFont();
    static QFont detailFont();
    // A tile of the accent at 0.11 with the symbol in the accent.
    static IconTile *iconTile(const QString &symbol, qreal side, qreal radius, qreal points);
    // A title over a secondary line that wraps as far as it must; the column and the line.
    static std::pair<QWidget *, WrappingText *> titleAndDetail(const QString &title, const QString &detail,
                                                               int spacing);
    // The card frame of the settings: the card colour at 0.9.
    static CardFrame *settingsCard(int padding, std::optional<ViewShadow> shadow = std::nullopt);
    // A flexible gap that never closes below `minimum`, between the stack's own spacings.
    static void addSpacer(QBoxLayout *layout, int minimum);
    static QHBoxLayout *rowLayout(int spacing);
};

} // namespace pulsegrove
