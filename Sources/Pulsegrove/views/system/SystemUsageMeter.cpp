#include "views/system/SystemUsageMeter.h"

#include "views/EnergyBar.h"
#include "views/primitives/BaselineRow.h"
#include "views/primitives/CapsuleTrack.h"
#include "views/primitives/ViewFonts.h"
#include "views/primitives/ViewLabels.h"
#include "views/system/SystemMetricsCardModel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace pulsegrove {

SystemUsageMeter::SystemUsageMeter(const QString &label, std::optional<double> percent, const QString &detail,
                                   QWidget *parent)
    : QWidget(parent), m_label(label), m_layout(new QVBoxLayout(this))
{
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(spacing);

    const QFont labelFont = ViewFonts::systemFont(9.5, QFont::Bold);
    const QFont valueFont = ViewFonts::systemFont(14, QFont::Bold);
    auto *header = new QHBoxLayout;
    BaselineRow baselines(header);
    baselines.addText(ViewLabels::makeLabel(label, labelFont, ThemeColor::secondaryText()), labelFont);
    baselines.addStretch();
    m_valueLabel = ViewLabels::makeLabel(QString(), valueFont);
    baselines.addText(m_valueLabel, valueFont);
    baselines.finish();
    m_layout->addLayout(header);

    m_detailLabel = ViewLabels::makeLabel(QString(), ViewFonts::systemFont(8.5, QFont::Medium),
                                          ThemeColor::secondaryText());
    // A detail too long for the meter is cut, never allowed to widen the card.
    m_detailLabel->setMinimumWidth(0);
    m_detailLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_layout->addWidget(m_detailLabel);
    setReading(percent, detail);
}

QString SystemUsageMeter::valueText(std::optional<double> percent)
{
    return percent ? SystemMetricsCardModel::wholePercentText(*percent) : QStringLiteral("--%");
}

QString SystemUsageMeter::valueText() const
{
    return m_valueLabel->text();
}

QString SystemUsageMeter::detail() const
{
    return m_detailLabel->text();
}

void SystemUsageMeter::setReading(std::optional<double> percent, const QString &detail)
{
    m_percent = percent;
    m_valueLabel->setText(valueText(percent));
    m_detailLabel->setText(detail);
    std::optional<qint64> barPercent;
    if (percent)
        barPercent = SystemMetricsCardModel::wholePercent(*percent);
    // The bar takes the accent when made, so a theme chosen since is a reason to remake it too.
    const QColor tint = ThemeColor::accent().resolve();
    if (m_bar && barPercent == m_barPercent && tint == m_barTint)
        return;
    m_barPercent = barPercent;
    m_barTint = tint;
    showBar();
}

void SystemUsageMeter::showBar()
{
    QWidget *bar = m_barPercent ? static_cast<QWidget *>(new EnergyBar(*m_barPercent, m_barTint, barHeight))
                                : new CapsuleTrack(ThemeColor::border(), barHeight);
    // The bar speaks for this meter, not for a quota.
    if (m_barPercent)
        bar->setAccessibleName(m_label);
    if (m_bar) {
        // The layout hands back the old bar's item, which is the caller's to delete.
        delete m_layout->replaceWidget(m_bar, bar);
        delete m_bar;
    } else {
        m_layout->insertWidget(1, bar);
    }
    m_bar = bar;
}

} // namespace pulsegrove
