#include "views/EmptyStateView.h"

#include "views/PanelStateModel.h"

namespace pulsegrove {

EmptyStateView::EmptyStateView(const std::optional<QString> &message, QWidget *parent)
    : StateMessageCard({PanelStateModel::emptySymbol(), 28, PanelStateModel::emptyTitle(),
                        PanelStateModel::emptyMessage(message), 11},
                       parent)
{
}

} // namespace pulsegrove
