#include "views/LoadingStateView.h"

#include "views/PanelStateModel.h"
#include "views/primitives/ActivityIndicator.h"
#include "views/primitives/CardFrame.h"
#include "views/primitives/ViewFonts.h"
#include "views/primitives/ViewLabels.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace pulsegrove {

namespace {

QWidget *makeRow()
{
    auto *texts = new QVBoxLayout;
    texts->setSpacing(PanelStateModel::loadingTextSpacing);
    texts->addWidget(
        ViewLabels::makeLabel(PanelStateModel::loadingTitle(), ViewFonts::systemFont(12, QFont::DemiBold)));
    texts->addWidget(ViewLabels::makeLabel(PanelStateModel::loadingDetail(),
                                           ViewFonts::systemFont(10.5, QFont::Normal),
                                           ThemeColor::secondaryText()));

    auto *content = new QHBoxLayout;
    content->setSpacing(PanelStateModel::loadingRowContentSpacing);
    content->addWidget(new ActivityIndicator(ThemeColor::accent()), 0, Qt::AlignVCenter);
    content->addLayout(texts);
    content->addStretch(1);

    auto *row = new CardFrame(PanelStateModel::loadingRowPadding);
    row->setContentLayout(content);
    return row;
}

} // namespace

LoadingStateView::LoadingStateView(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(PanelStateModel::loadingRowSpacing);
    for (int row = 0; row < PanelStateModel::loadingRowCount; ++row)
        layout->addWidget(makeRow());
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

} // namespace pulsegrove
