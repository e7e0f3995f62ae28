#pragma once

#include "views/primitives/CardFrame.h"

class QLabel;
class QVBoxLayout;

namespace pulsegrove {

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
    QLabel *detailLabel() const { return m_detailLabel; }

protected:
    // Adds a control under the texts, centred.
    void addControl(QWidget *control);

private:
    QVBoxLayout *m_layout;
    QLabel *m_titleLabel;
    QLabel *m_detailLabel;
};

} // namespace pulsegrove
