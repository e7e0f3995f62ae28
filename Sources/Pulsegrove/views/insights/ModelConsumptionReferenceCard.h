#pragma once

#include "insights/QuotaInsightsCatalog.h"
#include "views/insights/ModelConsumptionReferenceModel.h"
#include "views/primitives/CardFrame.h"

#include <optional>

class QComboBox;
class QVBoxLayout;

namespace pulsegrove {

class DisclosureButton;
class ToggleSwitch;
class WrappingText;

// The panel's card of model consumption rates. Collapsed it is a title row; expanded it explains
// what the numbers are and, when the application ships a verified catalog, shows the chosen
// model's rates with a fast-mode switch. Its view state lives as long as the card.
class ModelConsumptionReferenceCard : public CardFrame {
    Q_OBJECT

public:
    explicit ModelConsumptionReferenceCard(QWidget *parent = nullptr);
    // The same on a catalog of the caller's choosing.
    explicit ModelConsumptionReferenceCard(const std::optional<QuotaInsightsCatalog> &catalog,
                                           QWidget *parent = nullptr);

    const ModelConsumptionReferenceModel::ViewState &viewState() const { return m_state; }
    void setExpanded(bool expanded);
    void setFastMode(bool fastMode);
    void setSelectedModel(const QString &modelID);

    // The texts shown under the title while expanded, for tests and diagnostics.
    QStringList shownTexts() const;
    QComboBox *modelPicker() const { return m_modelPicker; }
    ToggleSwitch *fastModeSwitch() const { return m_fastModeSwitch; }
    DisclosureButton *disclosureButton() const { return m_disclosure; }

private:
    QWidget *makeHeader();
    QWidget *makeControls();
    void showRows();

    std::optional<QuotaInsightsCatalog> m_catalog;
    ModelConsumptionReferenceModel::ViewState m_state;
    DisclosureButton *m_disclosure = nullptr;
    QWidget *m_body = nullptr;
    QComboBox *m_modelPicker = nullptr;
    ToggleSwitch *m_fastModeSwitch = nullptr;
    QVBoxLayout *m_rowsLayout = nullptr;
};

} // namespace pulsegrove
