#pragma once

#include "views/primitives/ThemeColor.h"

#include <QWidget>

namespace pulsegrove {

// One symbol image at the size of a font of `points` points, tinted. A symbol without an icon
// keeps its place in the layout and draws nothing.
class SymbolView : public QWidget {
    Q_OBJECT

public:
    SymbolView(const QString &symbolName, qreal points, const ThemeColor &tint, QWidget *parent = nullptr);

    const QString &symbolName() const { return m_symbolName; }
    const ThemeColor &tint() const { return m_tint; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_symbolName;
    qreal m_points;
    ThemeColor m_tint;
};

} // namespace pulsegrove
