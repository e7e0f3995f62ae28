#pragma once

#include "views/primitives/ThemeColor.h"

#include <QFont>
#include <QString>
#include <optional>

class QLabel;
class QWidget;

namespace pulsegrove::ViewLabels {

// A one-line plain-text label (texts are never read as markup: they may come from outside, like
// an error message) in `font`; with no colour it takes the window's text colour. The colour is
// resolved when the label is made; text that wraps, or must follow the theme at every repaint,
// is a WrappingText.
QLabel *makeLabel(const QString &text, const QFont &font,
                  const std::optional<ThemeColor> &color = std::nullopt, QWidget *parent = nullptr);

} // namespace pulsegrove::ViewLabels
