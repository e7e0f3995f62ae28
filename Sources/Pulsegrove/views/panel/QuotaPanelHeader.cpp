#include "views/panel/QuotaPanelHeader.h"

#include "views/PlanBadge.h"
#include "views/panel/QuotaPanelHeaderModel.h"
#include "views/primitives/IconTile.h"
#include "views/primitives/StatusDot.h"
#include "views/primitives/ViewFonts.h"
#include "views/primitives/ViewLabels.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace pulsegrove {

namespace {

constexpr int titleSpacing = 3;
constexpr int minimumGap = 12;
constexpr int trailingSpacing = 5;
constexpr int freshnessSpacing = 5;

IconTile *makeMark()
{
    IconTileStyle style;
    style.side = QuotaPanelHeaderModel::markSide;
    style.cornerRadius = QuotaPanelHeaderModel::markCornerRadius;
    style.fill = ThemeColor::accent(0.14);
    style.stroke = ThemeColor::accent(0.3);
    style.symbolPoints = QuotaPanelHeaderModel::markSymbolPoints;
    return new IconTile(QuotaPanelHeaderModel::markSymbol(), style);
}

} // namespace

QuotaPanelHeader::QuotaPanelHeader(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(
        QuotaPanelHeaderModel::horizontalPadding, QuotaPanelHeaderModel::verticalPadding,
        QuotaPanelHeaderModel::horizontalPadding, QuotaPanelHeaderModel::verticalPadding);
    layout->setSpacing(QuotaPanelHeaderModel::spacing);
    layout->addWidget(makeMark(), 0, Qt::AlignVCenter);

    auto *titles = new QVBoxLayout;
    titles->setSpacing(titleSpacing);
    titles->addWidget(
        ViewLabels::makeLabel(QuotaPanelHeaderModel::title(), ViewFonts::systemFont(14, QFont::Bold)));
    m_subtitle = ViewLabels::makeLabel(QuotaPanelHeaderModel::subtitle(std::nullopt),
                                       ViewFonts::systemFont(10, QFont::Medium), ThemeColor::secondaryText());
    titles->addWidget(m_subtitle);
    layout->addLayout(titles);
    layout->addSpacing(minimumGap - QuotaPanelHeaderModel::spacing);
    layout->addStretch(1);

    m_trailing = new QVBoxLayout;
    m_trailing->setSpacing(trailingSpacing);
    auto *freshness = new QHBoxLayout;
    freshness->setSpacing(freshnessSpacing);
    m_dot = new StatusDot(QuotaPanelHeaderModel::dotSide, QuotaPanelHeaderModel::freshnessDotColor(true));
    freshness->addWidget(m_dot, 0, Qt::AlignVCenter);
    m_freshness =
        ViewLabels::makeLabel(QuotaPanelHeaderModel::freshnessText(false, true),
                              ViewFonts::systemFont(10, QFont::DemiBold), ThemeColor::secondaryText());
    freshness->addWidget(m_freshness);
    m_trailing->addLayout(freshness);
    m_trailing->setAlignment(freshness, Qt::AlignRight);
    layout->addLayout(m_trailing);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void QuotaPanelHeader::apply(const std::optional<QuotaSnapshot> &snapshot, bool isStale)
{
    m_subtitle->setText(QuotaPanelHeaderModel::subtitle(snapshot));
    m_freshness->setText(QuotaPanelHeaderModel::freshnessText(snapshot.has_value(), isStale));
    m_dot->setColor(QuotaPanelHeaderModel::freshnessDotColor(isStale));

    const std::optional<CodexPlanTier> tier = QuotaPanelHeaderModel::planTier(snapshot);
    if (m_badge && tier && m_badge->tier() == *tier)
        return;
    delete m_badge;
    m_badge = nullptr;
    if (tier) {
        m_badge = new PlanBadge(*tier);
        m_trailing->insertWidget(0, m_badge, 0, Qt::AlignRight);
    }
}

QString QuotaPanelHeader::freshnessText() const
{
    return m_freshness->text();
}

} // namespace pulsegrove
