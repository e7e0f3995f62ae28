#include "views/StateMessageCard.h"

#include "views/PanelStateModel.h"
#include "views/primitives/SymbolView.h"
#include "views/primitives/ViewFonts.h"
#include "views/primitives/ViewLabels.h"
#include "views/primitives/WrappingText.h"

#include <QLabel>
#include <QVBoxLayout>

namespace pulsegrove {

StateMessageCard::StateMessageCard(const Content &content, QWidget *parent)
    : CardFrame(PanelStateModel::messagePadding, CardFrameStyle{}, parent), m_layout(new QVBoxLayout)
{
    m_layout->setSpacing(PanelStateModel::messageSpacing);
    m_layout->addWidget(new SymbolView(content.symbolName, content.symbolPoints, ThemeColor::accent()), 0,
                        Qt::AlignHCenter);
    m_titleLabel = ViewLabels::makeLabel(content.title, ViewFonts::systemFont(14, QFont::Bold));
    m_layout->addWidget(m_titleLabel, 0, Qt::AlignHCenter);
    m_detailText =
        new WrappingText(content.detail, ViewFonts::systemFont(content.detailPoints, QFont::Medium),
                         ThemeColor::secondaryText());
    m_layout->addWidget(m_detailText);
    setContentLayout(m_layout);
}

void StateMessageCard::addControl(QWidget *control)
{
    m_layout->addWidget(control, 0, Qt::AlignHCenter);
}

} // namespace pulsegrove
