#pragma once

#include <QWidget>

namespace pulsegrove {

// A one-point horizontal rule in the shared border colour, between the panel's sections.
class PanelDivider : public QWidget {
    Q_OBJECT

public:
    static constexpr int thickness = 1;

    explicit PanelDivider(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace pulsegrove
