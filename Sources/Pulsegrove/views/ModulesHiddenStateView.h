#pragma once

#include "views/StateMessageCard.h"

#include <functional>

class QPushButton;

namespace pulsegrove {

// Shown alone when every module is hidden: the status-bar percentage stays, and a button leads
// to the module settings. The button runs `openSettings`; without one it does nothing.
class ModulesHiddenStateView : public StateMessageCard {
    Q_OBJECT

public:
    explicit ModulesHiddenStateView(std::function<void()> openSettings, QWidget *parent = nullptr);

    QPushButton *openSettingsButton() const { return m_button; }

private:
    std::function<void()> m_openSettings;
    QPushButton *m_button;
};

} // namespace pulsegrove
