#include "views/system/SystemMetricsCard.h"

#include "stores/SystemMetricsStore.h"
#include "views/primitives/CardHeaderRow.h"
#include "views/primitives/StatusDot.h"
#include "views/primitives/SymbolView.h"
#include "views/primitives/ViewFonts.h"
#include "views/primitives/ViewLabels.h"
#include "views/system/SystemMetricsCardModel.h"
#include "views/system/SystemUsageMeter.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <algorithm>

namespace pulsegrove {

namespace {

using Model = SystemMetricsCardModel;

void setTextColor(QLabel *label, const ThemeColor &color)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color.resolve());
    label->setPalette(palette);
}

QHBoxLayout *rowLayout(QWidget *row, int spacing)
{
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    return layout;
}

QFont smallSecondaryFont(QFont::Weight weight)
{
    return ViewFonts::systemFont(9.5, weight);
}

} // namespace

SystemMetricsCard::SystemMetricsCard(SystemMetricsStore &metricsStore, QWidget *parent)
    : CardFrame(Model::padding, CardFrameStyle{}, parent), m_metricsStore(metricsStore)
{
    auto *layout = new QVBoxLayout;
    layout->setSpacing(Model::spacing);
    layout->addWidget(makeTitleRow());
    layout->addWidget(makeReadingRow());
    layout->addWidget(makeSourceRow());
    setContentLayout(layout);
    setAccessibleName(Model::accessibilityLabel());
    connect(&m_metricsStore, &SystemMetricsStore::snapshotChanged, this, &SystemMetricsCard::refresh);
    m_staleTimer.setSingleShot(true);
    connect(&m_staleTimer, &QTimer::timeout, this, &SystemMetricsCard::refresh);
    refresh();
}

QWidget *SystemMetricsCard::makeTitleRow()
{
    auto *row = new QWidget;
    QHBoxLayout *layout = CardHeaderRow::make(row, Model::titleSymbol(), Model::title(), Model::titleSpacing);
    auto *mark = new QWidget;
    QHBoxLayout *markLayout = rowLayout(mark, Model::statusMarkSpacing);
    m_statusDot = new StatusDot(Model::statusDotSide, ThemeColor::secondaryText());
    markLayout->addWidget(m_statusDot, 0, Qt::AlignVCenter);
    m_statusLabel =
        ViewLabels::makeLabel(QString(), smallSecondaryFont(QFont::DemiBold), ThemeColor::secondaryText());
    markLayout->addWidget(m_statusLabel, 0, Qt::AlignVCenter);
    layout->addWidget(mark, 0, Qt::AlignVCenter);
    return row;
}

QWidget *SystemMetricsCard::makeReadingRow()
{
    auto *row = new QWidget;
    QHBoxLayout *layout = rowLayout(row, Model::readingSpacing);

    auto *temperature = new QWidget;
    temperature->setFixedWidth(Model::temperatureColumnWidth);
    auto *column = new QVBoxLayout(temperature);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(Model::temperatureColumnSpacing);
    m_sensorLabel =
        ViewLabels::makeLabel(QString(), smallSecondaryFont(QFont::DemiBold), ThemeColor::secondaryText());
    m_temperatureLabel = ViewLabels::makeLabel(QString(), ViewFonts::systemFont(30, QFont::Bold));
    m_severityLabel = ViewLabels::makeLabel(QString(), smallSecondaryFont(QFont::Bold));
    for (QLabel *label : {m_sensorLabel, m_temperatureLabel, m_severityLabel}) {
        // The column's width is fixed; a text wider than it is cut rather than widening the card.
        label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        column->addWidget(label);
    }
    layout->addWidget(temperature, 0, Qt::AlignVCenter);

    // The divider is a plain rule in the shared border colour.
    auto *divider = new QWidget;
    divider->setFixedSize(1, Model::dividerHeight);
    divider->setAutoFillBackground(true);
    QPalette dividerPalette = divider->palette();
    dividerPalette.setColor(QPalette::Window, ThemeColor::border().resolve());
    divider->setPalette(dividerPalette);
    layout->addWidget(divider, 0, Qt::AlignVCenter);

    auto *meters = new QVBoxLayout;
    meters->setSpacing(Model::metersSpacing);
    m_cpuMeter = new SystemUsageMeter(Model::cpuLabel(), std::nullopt, Model::cpuDetail());
    m_memoryMeter = new SystemUsageMeter(Model::memoryLabel(), std::nullopt, QString());
    meters->addWidget(m_cpuMeter);
    meters->addWidget(m_memoryMeter);
    layout->addLayout(meters, 1);
    return row;
}

QWidget *SystemMetricsCard::makeSourceRow()
{
    auto *row = new QWidget;
    QHBoxLayout *layout = rowLayout(row, Model::sourceSpacing);
    const QFont font = smallSecondaryFont(QFont::Medium);
    layout->addWidget(new SymbolView(Model::sourceSymbol(), 9.5, ThemeColor::secondaryText()), 0,
                      Qt::AlignVCenter);
    layout->addWidget(ViewLabels::makeLabel(Model::sourceText(), font, ThemeColor::secondaryText()), 0,
                      Qt::AlignVCenter);
    layout->addWidget(ViewLabels::makeLabel(Model::sourceSeparator(), font, ThemeColor::secondaryText()), 0,
                      Qt::AlignVCenter);
    m_thermalLabel = ViewLabels::makeLabel(QString(), font, ThemeColor::secondaryText());
    layout->addWidget(m_thermalLabel, 0, Qt::AlignVCenter);
    layout->addStretch(1);
    return row;
}

void SystemMetricsCard::refresh()
{
    apply(m_metricsStore.snapshot(), m_metricsStore.isStale());
}

void SystemMetricsCard::showEvent(QShowEvent *event)
{
    // A sample may have aged past the staleness limit while the card was hidden.
    refresh();
    CardFrame::showEvent(event);
}

void SystemMetricsCard::apply(const std::optional<SystemMetricsSnapshot> &snapshot, bool isStale)
{
    m_statusDot->setColor(Model::statusDotColor(isStale));
    m_statusLabel->setText(Model::statusMarkText(isStale));
    m_sensorLabel->setText(Model::sensorLabel(snapshot));
    const ThemeColor temperatureColor = Model::temperatureColor(snapshot, isStale);
    m_temperatureLabel->setText(Model::temperatureText(snapshot, isStale));
    setTextColor(m_temperatureLabel, temperatureColor);
    m_severityLabel->setText(Model::severityWord(snapshot, isStale));
    setTextColor(m_severityLabel, temperatureColor);
    m_cpuMeter->setReading(Model::cpuPercent(snapshot, isStale), Model::cpuDetail());
    m_memoryMeter->setReading(Model::memoryPercent(snapshot, isStale),
                              Model::memoryDetail(snapshot, isStale));
    m_thermalLabel->setText(Model::thermalStateRowText(snapshot));

    CardFrameStyle frame;
    frame.border = Model::borderColor(snapshot, isStale);
    frame.shadow = ViewShadow{Model::temperatureColor(snapshot, isStale, Model::shadowOpacity).resolve(),
                              Model::shadowRadius, QPointF(0, Model::shadowOffsetY)};
    if (!(frame.border == style().border) || frame.shadow != style().shadow)
        setStyle(frame);
    setAccessibleDescription(Model::accessibilityValue(snapshot, isStale));

    m_staleTimer.stop();
    if (snapshot && !isStale) {
        // The wall clock's age of the sample, held to the limit so a clock that jumps (or a test's
        // fixed clock) at worst looks again one limit later.
        const double age = std::clamp(Date::now().timeIntervalSince(snapshot->sampledAt), 0.0,
                                      SystemMetricsStore::staleAfterSeconds);
        m_staleTimer.start(static_cast<int>((SystemMetricsStore::staleAfterSeconds - age) * 1000) + 100);
    }
}

QString SystemMetricsCard::temperatureText() const
{
    return m_temperatureLabel->text();
}

QString SystemMetricsCard::sensorText() const
{
    return m_sensorLabel->text();
}

QString SystemMetricsCard::statusMarkText() const
{
    return m_statusLabel->text();
}

QString SystemMetricsCard::thermalStateText() const
{
    return m_thermalLabel->text();
}

} // namespace pulsegrove
