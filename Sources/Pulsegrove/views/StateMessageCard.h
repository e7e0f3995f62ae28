#pragma once

#include "views/primitives/CardFrame.h"

class QLabel;
class QVBoxLayout;

namespace pulsegrove {

class WrappingText;

// The centred message card of the panel's placeholders: a large accent symbol, a bold title and
// a wrapping secondary line on the common card frame, with room for controls below.
class StateMessageCard : public CardFrame {
    Q_OBJECT

public:
    struct Content {
        QString symbolName;
        qreal symbolPoints;
        QString title;
        QString detail;
        qreal detailPoints;
    };

    explicit StateMessageCard(const Content &content, QWidget *parent = nullptr);

    QLabel *titleLabel() const { return m_titleLabel; }
    WrappingText *detailText() const { return m_detailText; }

protected:
    // Adds a control under the texts, centred.
    void addControl(QWidget *control);

private:
    QVBoxLayout *m_layout;
    QLabel *m_titleLabel;
    WrappingText *m_detailText;
};

} // namespace pulsegrove
