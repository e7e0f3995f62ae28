#include "dashboard/UsageQuotaRowCard.h"

#include "dashboard/UsageDashboardPageModel.h"
#include "views/EnergyBar.h"
#include "views/primitives/CapsuleTag.h"
#include "views/primitives/ViewColors.h"
#include "views/primitives/ViewFonts.h"
#include "views/primitives/ViewLabels.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace pulsegrove {

namespace {

constexpr int cardPadding = 18;

CapsuleTagStyle tagStyle()
{
    CapsuleTagStyle style;
    style.font = ViewFonts::systemFont(11, QFont::DemiBold);
    return style;
}

CapsuleTagStyle staleTagStyle()
{
    CapsuleTagStyle style = tagStyle();
    const QColor amber = ViewColors::srgb(1.0, 0.72, 0.3);
    style.foreground = ThemeColor::fixed(amber);
    style.fill = ThemeColor::fixed(amber, 0.14);
    return style;
}

QHBoxLayout *titleRow(const UsageQuotaSnapshot &row)
{
    auto *layout = new QHBoxLayout;
    layout->setSpacing(8);
    layout->addWidget(
        ViewLabels::makeLabel(QString::fromStdString(row.label), ViewFonts::systemFont(15, QFont::DemiBold)));
    layout->addWidget(new CapsuleTag(UsageDashboardPageModel::windowTag(row.window), tagStyle()));
    layout->addStretch(1);
    if (const auto mark = UsageDashboardPageModel::staleMark(row.isStale))
        layout->addWidget(new CapsuleTag(*mark, staleTagStyle()));
    return layout;
}

QHBoxLayout *percentRow(const UsageQuotaSnapshot &row)
{
    auto *layout = new QHBoxLayout;
    layout->setSpacing(8);
    layout->addWidget(ViewLabels::makeLabel(UsageDashboardPageModel::percentText(row.remainingPercent),
                                            ViewFonts::systemFont(34, QFont::Bold), ThemeColor::accent()),
                      0, Qt::AlignBottom);
    layout->addWidget(ViewLabels::makeLabel(QString::fromUtf8("剩余"), ViewFonts::systemFont(13),
                                            ThemeColor::secondaryText()),
                      0, Qt::AlignBottom);
    layout->addStretch(1);
    layout->addWidget(ViewLabels::makeLabel(UsageDashboardPageModel::usedText(row.usedPercent),
                                            ViewFonts::systemFont(13), ThemeColor::secondaryText()),
                      0, Qt::AlignBottom);
    return layout;
}

} // namespace

UsageQuotaRowCard::UsageQuotaRowCard(const UsageQuotaSnapshot &row, QWidget *parent)
    : CardFrame(cardPadding, CardFrameStyle{}, parent), m_row(row)
{
    const Date now = Date::now();
    const Environment environment = Environment::current();
    auto *layout = new QVBoxLayout;
    layout->setSpacing(10);
    layout->addLayout(titleRow(row));
    layout->addLayout(percentRow(row));
    layout->addWidget(new EnergyBar(UsageDashboardPageModel::barPercent(row.remainingPercent),
                                    ThemeColor::accent().resolve(), 8));
    const QFont detailFont = ViewFonts::systemFont(12);
    layout->addWidget(ViewLabels::makeLabel(UsageDashboardPageModel::resetText(row.resetAt, now, environment),
                                            detailFont, ThemeColor::secondaryText()));
    layout->addWidget(
        ViewLabels::makeLabel(UsageDashboardPageModel::capturedText(row.capturedAt, now, environment),
                              detailFont, ThemeColor::secondaryText()));
    setContentLayout(layout);
}

} // namespace pulsegrove
