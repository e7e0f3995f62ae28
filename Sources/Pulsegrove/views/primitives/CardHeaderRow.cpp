#include "views/primitives/CardHeaderRow.h"

#include "views/primitives/SymbolView.h"
#include "views/primitives/ViewFonts.h"
#include "views/primitives/ViewLabels.h"

#include <QHBoxLayout>
#include <QLabel>

namespace pulsegrove::CardHeaderRow {

QHBoxLayout *make(QWidget *row, const QString &symbolName, const QString &title, int spacing)
{
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    layout->addWidget(new SymbolView(symbolName, 11, ThemeColor::accent()), 0, Qt::AlignVCenter);
    layout->addWidget(ViewLabels::makeLabel(title, ViewFonts::systemFont(12.5, QFont::Bold)), 0,
                      Qt::AlignVCenter);
    layout->addStretch(1);
    return layout;
}

} // namespace pulsegrove::CardHeaderRow
