#include "views/ModulesHiddenStateView.h"

#include "views/PanelStateModel.h"
#include "views/primitives/ThemedButton.h"

namespace pulsegrove {

ModulesHiddenStateView::ModulesHiddenStateView(std::function<void()> openSettings, QWidget *parent)
    : StateMessageCard({PanelStateModel::modulesHiddenSymbol(), 27, PanelStateModel::modulesHiddenTitle(),
                        PanelStateModel::modulesHiddenDetail(), 10.5},
                       parent),
      m_openSettings(std::move(openSettings)),
      m_button(new ThemedButton(PanelStateModel::openSettingsTitle(), PanelStateModel::openSettingsSymbol(),
                                ThemedButton::Kind::prominent, ThemedButton::ControlSize::large))
{
    addControl(m_button);
    connect(m_button, &QPushButton::clicked, this, [this] {
        if (m_openSettings)
            m_openSettings();
    });
}

} // namespace pulsegrove
