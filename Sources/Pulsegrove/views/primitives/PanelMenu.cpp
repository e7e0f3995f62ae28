#include "views/primitives/PanelMenu.h"

#include "views/primitives/DarkPalette.h"

#include <QProxyStyle>

namespace pulsegrove {

namespace {

class ScrollingMenuStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == QStyle::SH_Menu_Scrollable)
            return 1;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

PanelMenu::PanelMenu(QWidget *parent) : QMenu(parent)
{
    auto *style = new ScrollingMenuStyle;
    style->setParent(this);
    setStyle(style);
    setPalette(DarkPalette::palette());
}

} // namespace pulsegrove
