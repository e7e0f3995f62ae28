#include "views/cards/QuotaCard.h"

#include "views/EnergyBar.h"
#include "views/cards/QuotaCardModel.h"
#include "views/primitives/BaselineRow.h"
#include "views/primitives/CapsuleTag.h"
#include "views/primitives/MinuteTimeline.h"
#include "views/primitives/SymbolLabel.h"
#include "views/primitives/ViewFonts.h"
#include "views/primitives/ViewLabels.h"

#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace pulsegrove {

namespace {

using Model = QuotaCardModel;

constexpr int tagSpacing = 8;
constexpr int suffixSpacing = 4;

CapsuleTag *makeTag(const QString &shortLabel)
{
    CapsuleTagStyle style;
    style.font = ViewFonts::tracked(ViewFonts::systemFont(9, QFont::Bold), 0.7);
    style.horizontalPadding = 7;
    style.verticalPadding = 4;
    return new CapsuleTag(shortLabel, style);
}

QFont footerFont()
{
    return ViewFonts::systemFont(10.5, QFont::Medium);
}

} // namespace

QuotaCard::QuotaCard(const QString &title, const QString &shortLabel,
                     const std::optional<RateLimitWindow> &window, QWidget *parent)
    : CardFrame(Model::padding, CardFrameStyle::withShadow(Model::shadow()), parent), m_window(window)
{
    auto *layout = new QVBoxLayout;
    layout->setSpacing(Model::spacing);
    layout->addWidget(makeHeader(title, shortLabel));
    if (m_window) {
        layout->addWidget(
            new EnergyBar(m_window->remainingPercent(), ThemeColor::accent().resolve(), Model::barHeight));
        layout->addWidget(makeFooter(*m_window));
        m_timeline = new MinuteTimeline(this);
        connect(m_timeline, &MinuteTimeline::tick, this, &QuotaCard::showTime);
        showTime(m_timeline->now());
    } else {
        layout->addWidget(new SymbolLabel(Model::missingWindowSymbol(), Model::missingWindowText(),
                                          footerFont(), ThemeColor::secondaryText()));
    }
    setContentLayout(layout);
    setAccessibleName(title);
}

QWidget *QuotaCard::makeHeader(const QString &title, const QString &shortLabel)
{
    // The tag sits centred beside the title; the pair lines up with the figures on the title's
    // baseline.
    auto *leading = new QWidget;
    auto *leadingLayout = new QHBoxLayout(leading);
    leadingLayout->setContentsMargins(0, 0, 0, 0);
    leadingLayout->setSpacing(tagSpacing);
    CapsuleTag *tag = makeTag(shortLabel);
    const QFont titleFont = ViewFonts::systemFont(13, QFont::DemiBold);
    QLabel *titleLabel = ViewLabels::makeLabel(title, titleFont);
    leadingLayout->addWidget(tag, 0, Qt::AlignVCenter);
    leadingLayout->addWidget(titleLabel, 0, Qt::AlignVCenter);
    const QFontMetricsF titleMetrics(titleFont);
    const qreal leadingHeight = std::max<qreal>(tag->sizeHint().height(), titleLabel->sizeHint().height());
    const qreal titleBaseline =
        titleMetrics.descent() + (leadingHeight - titleLabel->sizeHint().height()) / 2;

    auto *header = new QWidget;
    auto *row = new QHBoxLayout(header);
    row->setContentsMargins(0, 0, 0, 0);
    BaselineRow baselines(row);
    baselines.addWidget(leading, titleBaseline);
    baselines.addStretch();
    if (m_window) {
        const QFont figureFont = ViewFonts::systemFont(25, QFont::Bold);
        const QFont suffixFont = ViewFonts::systemFont(10, QFont::Medium);
        baselines.addText(ViewLabels::makeLabel(Model::remainingText(*m_window), figureFont), figureFont);
        row->addSpacing(suffixSpacing);
        baselines.addText(
            ViewLabels::makeLabel(Model::remainingSuffix(), suffixFont, ThemeColor::secondaryText()),
            suffixFont);
    } else {
        const QFont noDataFont = ViewFonts::systemFont(12, QFont::DemiBold);
        baselines.addText(ViewLabels::makeLabel(Model::noDataText(), noDataFont, ThemeColor::secondaryText()),
                          noDataFont);
    }
    baselines.finish();
    return header;
}

QWidget *QuotaCard::makeFooter(const RateLimitWindow &window)
{
    auto *footer = new QWidget;
    auto *row = new QHBoxLayout(footer);
    row->setContentsMargins(0, 0, 0, 0);
    auto *used = new SymbolLabel(Model::usedSymbol(), Model::usedText(window), footerFont(),
                                 ThemeColor::secondaryText());
    row->addWidget(used);
    row->addStretch(1);
    m_resetLabel =
        new SymbolLabel(Model::resetSymbol(), QString(), footerFont(), ThemeColor::secondaryText());
    m_resetLabel->setMinimumScaleFactor(Model::resetMinimumScaleFactor);
    row->addWidget(m_resetLabel);
    return footer;
}

void QuotaCard::showTime(Date now)
{
    if (m_window && m_resetLabel)
        m_resetLabel->setText(Model::resetText(*m_window, now));
}

} // namespace pulsegrove
