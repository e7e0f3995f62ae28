#include "views/panel/QuotaPanelStatusLine.h"

#include "views/panel/QuotaPanelStatusModel.h"
#include "views/primitives/SymbolView.h"
#include "views/primitives/ViewFonts.h"
#include "views/primitives/WrappingText.h"

#include <QHBoxLayout>

namespace pulsegrove {

QuotaPanelStatusLine::QuotaPanelStatusLine(const QuotaSnapshot &snapshot,
                                           const std::optional<QString> &errorMessage, bool isStale,
                                           QWidget *parent)
    : QWidget(parent)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(QuotaPanelStatusModel::spacing);
    layout->addWidget(
        new SymbolView(QuotaPanelStatusModel::symbolName(errorMessage), 10, ThemeColor::accent()), 0,
        Qt::AlignVCenter);
    m_text = new WrappingText(QuotaPanelStatusModel::text(snapshot, errorMessage, isStale),
                              ViewFonts::systemFont(10.5, QFont::Medium), ThemeColor::secondaryText(),
                              Qt::AlignLeft);
    m_text->setMaximumLineCount(QuotaPanelStatusModel::lineLimit(errorMessage));
    layout->addWidget(m_text, 1);
}

} // namespace pulsegrove
