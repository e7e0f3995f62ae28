#pragma once

#include "views/primitives/ThemeColor.h"

#include <QFont>
#include <QString>
#include <optional>

class QLabel;
class QWidget;

namespace pulsegrove::ViewLabels {

// A one-line plain-text label (texts are never read as markup: they may come from outside, like
// an error message) in `font`; with no colour it takes the window's text colour.
QLabel *makeLabel(const QString &text, const QFont &font,
                  const std::optional<ThemeColor> &color = std::nullopt, QWidget *parent = nullptr);

// A label that wraps onto as many lines as it needs, lines aligned as given. Even an empty text
// keeps the height of one line, so an empty message still shows as an (empty) line.
QLabel *makeWrappingLabel(const QString &text, const QFont &font, const std::optional<ThemeColor> &color,
                          Qt::Alignment alignment = Qt::AlignHCenter, QWidget *parent = nullptr);

} // namespace pulsegrove::ViewLabels
