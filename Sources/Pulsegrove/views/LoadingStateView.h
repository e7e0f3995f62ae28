#pragma once

#include <QWidget>

namespace pulsegrove {

// Shown while the first quota read runs with nothing cached: two identical rows, each a card
// with a turning indicator and two lines of text.
class LoadingStateView : public QWidget {
    Q_OBJECT

public:
    explicit LoadingStateView(QWidget *parent = nullptr);
};

} // namespace pulsegrove
