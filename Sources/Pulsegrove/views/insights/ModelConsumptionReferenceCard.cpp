#include "views/insights/ModelConsumptionReferenceCard.h"

#include "insights/QuotaInsightsTexts.h"
#include "views/primitives/CardHeaderRow.h"
#include "views/primitives/DisclosureButton.h"
#include "views/primitives/ToggleSwitch.h"
#include "views/primitives/ViewFonts.h"
#include "views/primitives/ViewLabels.h"
#include "views/primitives/WrappingText.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace pulsegrove {

namespace {

using Model = ModelConsumptionReferenceModel;

QFont rowFont()
{
    return ViewFonts::systemFont(10.5, QFont::Medium);
}

} // namespace

ModelConsumptionReferenceCard::ModelConsumptionReferenceCard(QWidget *parent)
    : ModelConsumptionReferenceCard(QuotaInsightsCatalog::bundled(), parent)
{
}

ModelConsumptionReferenceCard::ModelConsumptionReferenceCard(
    const std::optional<QuotaInsightsCatalog> &catalog, QWidget *parent)
    : CardFrame(Model::padding, CardFrameStyle{}, parent), m_catalog(catalog)
{
    auto *layout = new QVBoxLayout;
    layout->setSpacing(Model::spacing);
    layout->addWidget(makeHeader());

    m_body = new QWidget;
    auto *body = new QVBoxLayout(m_body);
    body->setContentsMargins(0, 0, 0, 0);
    body->setSpacing(Model::rowSpacing);
    body->addWidget(new WrappingText(QuotaInsightsTexts::modelConsumptionExplanation(),
                                     ViewFonts::systemFont(9.5, QFont::Medium), ThemeColor::secondaryText(),
                                     Qt::AlignLeft));
    if (QWidget *controls = makeControls())
        body->addWidget(controls);
    m_rowsLayout = new QVBoxLayout;
    m_rowsLayout->setSpacing(Model::rowSpacing);
    body->addLayout(m_rowsLayout);
    m_body->setVisible(m_state.isExpanded);
    layout->addWidget(m_body);
    setContentLayout(layout);
    setAccessibleName(QuotaInsightsTexts::modelConsumptionTitle());
    showRows();
}

QWidget *ModelConsumptionReferenceCard::makeHeader()
{
    auto *header = new QWidget;
    QHBoxLayout *row = CardHeaderRow::make(header, Model::symbol(),
                                           QuotaInsightsTexts::modelConsumptionTitle(), Model::headerSpacing);
    m_disclosure = new DisclosureButton(QString(), QuotaInsightsTexts::modelConsumptionTitle(),
                                        ViewFonts::systemFont(12.5, QFont::DemiBold));
    connect(m_disclosure, &DisclosureButton::toggled, this, &ModelConsumptionReferenceCard::setExpanded);
    row->addWidget(m_disclosure, 0, Qt::AlignVCenter);
    return header;
}

// The model picker and the fast-mode switch, only when there is a model to pick.
QWidget *ModelConsumptionReferenceCard::makeControls()
{
    if (!m_catalog || m_catalog->models.isEmpty())
        return nullptr;
    auto *controls = new QWidget;
    auto *row = new QHBoxLayout(controls);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(Model::headerSpacing);
    m_modelPicker = new QComboBox;
    m_modelPicker->setFont(rowFont());
    m_modelPicker->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_modelPicker->setMinimumContentsLength(8);
    m_modelPicker->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    for (const QuotaInsightsCatalog::Model &model : m_catalog->models)
        m_modelPicker->addItem(model.name, model.id);
    if (const auto shown = Model::shownModel(m_catalog, m_state.selectedModel))
        m_modelPicker->setCurrentIndex(m_modelPicker->findData(shown->id));
    connect(m_modelPicker, &QComboBox::currentIndexChanged, this,
            [this](int index) { setSelectedModel(m_modelPicker->itemData(index).toString()); });
    row->addWidget(m_modelPicker, 1);
    row->addWidget(ViewLabels::makeLabel(Model::fastModeLabel(), ViewFonts::systemFont(9.5, QFont::DemiBold),
                                         ThemeColor::secondaryText()),
                   0, Qt::AlignVCenter);
    m_fastModeSwitch = new ToggleSwitch(Model::fastModeLabel());
    connect(m_fastModeSwitch, &ToggleSwitch::toggled, this, &ModelConsumptionReferenceCard::setFastMode);
    row->addWidget(m_fastModeSwitch, 0, Qt::AlignVCenter);
    return controls;
}

void ModelConsumptionReferenceCard::setExpanded(bool expanded)
{
    if (expanded == m_state.isExpanded)
        return;
    m_state.isExpanded = expanded;
    m_disclosure->setChecked(expanded);
    m_body->setVisible(expanded);
}

void ModelConsumptionReferenceCard::setFastMode(bool fastMode)
{
    if (fastMode == m_state.fastMode)
        return;
    m_state.fastMode = fastMode;
    if (m_fastModeSwitch)
        m_fastModeSwitch->setChecked(fastMode);
    showRows();
}

void ModelConsumptionReferenceCard::setSelectedModel(const QString &modelID)
{
    if (modelID == m_state.selectedModel)
        return;
    m_state.selectedModel = modelID;
    if (m_modelPicker) {
        const int index = m_modelPicker->findData(modelID);
        if (index >= 0)
            m_modelPicker->setCurrentIndex(index);
    }
    showRows();
}

void ModelConsumptionReferenceCard::showRows()
{
    while (QLayoutItem *item = m_rowsLayout->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    for (const Model::Row &row : Model::rows(m_catalog, m_state))
        m_rowsLayout->addWidget(new WrappingText(
            row.text, rowFont(), row.isEmphasized ? std::nullopt : std::optional(ThemeColor::secondaryText()),
            Qt::AlignLeft));
}

QStringList ModelConsumptionReferenceCard::shownTexts() const
{
    QStringList texts;
    for (const WrappingText *text : m_body->findChildren<WrappingText *>())
        texts.append(text->text());
    return texts;
}

} // namespace pulsegrove
