#pragma once

#include <QString>

class QHBoxLayout;
class QWidget;

namespace pulsegrove::CardHeaderRow {

// Lays out `row` as a card's title row: an accent symbol at 11 points and the title in the
// cards' bold 12.5-point rounded face, vertically centred, then a flexible space. The caller
// adds what stands at the trailing end to the returned layout.
QHBoxLayout *make(QWidget *row, const QString &symbolName, const QString &title, int spacing);

} // namespace pulsegrove::CardHeaderRow
