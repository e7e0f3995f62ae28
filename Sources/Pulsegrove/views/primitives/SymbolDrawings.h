#pragma once

#include <QPainterPath>
#include <QString>
#include <QStringList>
#include <optional>

namespace pulsegrove {

// The pictures of the interface's symbols, drawn here as vector outlines rather than borrowed
// from an icon theme: the desktop's themes lack most of these meanings (a thermometer, a
// processor, a line chart, sparkles) and differ from one distribution to the next. Each picture
// is one filled outline on a square grid of `gridSide` units, with strokes already widened into
// areas and cut-outs already subtracted, so it can be filled with any colour or gradient.
class SymbolDrawings {
public:
    static constexpr qreal gridSide = 16;

    // The outline of `symbolName`, or nothing for a name without a picture.
    static std::optional<QPainterPath> outline(const QString &symbolName);
    // Every symbol name with a picture, sorted.
    static QStringList symbolNames();
};

} // namespace pulsegrove
