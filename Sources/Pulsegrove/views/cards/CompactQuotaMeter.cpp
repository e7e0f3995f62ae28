#include "views/cards/CompactQuotaMeter.h"

#include "theme/QuotaTheme.h"
#include "views/EnergyBar.h"
#include "views/cards/QuotaCardModel.h"
#include "views/cards/SparkQuotaCardModel.h"
#include "views/primitives/BaselineRow.h"
#include "views/primitives/CapsuleTrack.h"
#include "views/primitives/MinuteTimeline.h"
#include "views/primitives/SymbolLabel.h"
#include "views/primitives/ViewFonts.h"
#include "views/primitives/ViewLabels.h"
#include "views/primitives/WrappingText.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace pulsegrove {

namespace {

using Model = CompactQuotaMeterModel;

constexpr int headerSpacing = 5;

QWidget *makeHeader(const QString &label, const std::optional<RateLimitWindow> &window)
{
    auto *header = new QWidget;
    auto *row = new QHBoxLayout(header);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(headerSpacing);
    BaselineRow baselines(row);
    const QFont labelFont = ViewFonts::tracked(ViewFonts::systemFont(9, QFont::Bold), 0.5);
    const QFont figureFont = ViewFonts::systemFont(17, QFont::Bold);
    baselines.addText(ViewLabels::makeLabel(label, labelFont, ThemeColor::secondaryText()), labelFont);
    baselines.addStretch();
    baselines.addText(ViewLabels::makeLabel(Model::percentText(window), figureFont), figureFont);
    baselines.finish();
    return header;
}

} // namespace

CompactQuotaMeter::CompactQuotaMeter(const QString &label, const std::optional<RateLimitWindow> &window,
                                     QWidget *parent)
    : QWidget(parent), m_window(window)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(Model::spacing);
    layout->addWidget(makeHeader(label, m_window));
    if (m_window)
        layout->addWidget(
            new EnergyBar(m_window->remainingPercent(), ThemeColor::accent().resolve(), Model::barHeight));
    else
        layout->addWidget(new CapsuleTrack(ThemeColor::border(), Model::barHeight));
    // A share reported far out of range is elided rather than let widen the card.
    layout->addWidget(new SymbolLabel(QString(), Model::usedText(m_window),
                                      ViewFonts::systemFont(9.5, QFont::Medium),
                                      ThemeColor::secondaryText()));
    if (m_window) {
        m_resetText = new WrappingText(QString(), ViewFonts::systemFont(8.5, QFont::Medium),
                                       ThemeColor::secondaryText(), Qt::AlignLeft);
        m_resetText->setMaximumLineCount(Model::resetLineLimit);
        layout->addWidget(m_resetText);
        m_timeline = new MinuteTimeline(this);
        connect(m_timeline, &MinuteTimeline::tick, this, &CompactQuotaMeter::showTime);
        showTime(m_timeline->now());
    }
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    setAccessibleName(label);
}

void CompactQuotaMeter::showTime(Date now)
{
    if (!m_window || !m_resetText)
        return;
    m_resetText->setText(QuotaCardModel::resetText(*m_window, now));
}

} // namespace pulsegrove
