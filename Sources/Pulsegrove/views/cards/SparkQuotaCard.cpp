#include "views/cards/SparkQuotaCard.h"

#include "views/cards/CompactQuotaMeter.h"
#include "views/cards/SparkQuotaCardModel.h"
#include "views/primitives/CapsuleTag.h"
#include "views/primitives/DarkPalette.h"
#include "views/primitives/Divider.h"
#include "views/primitives/SymbolLabel.h"
#include "views/primitives/SymbolView.h"
#include "views/primitives/ViewFonts.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace pulsegrove {

namespace {

using Model = SparkQuotaCardModel;

constexpr int headerSpacing = 8;

QWidget *makeHeader(const RateLimitSnapshot &snapshot)
{
    auto *header = new QWidget;
    auto *row = new QHBoxLayout(header);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(headerSpacing);
    row->addWidget(new SymbolView(Model::symbol(), 11, ThemeColor::accent()), 0, Qt::AlignVCenter);
    // A name of any length is elided on one line; it is drawn as plain text, never as markup.
    const QColor textColor = DarkPalette::palette().color(QPalette::WindowText);
    auto *name = new SymbolLabel(QString(), Model::name(snapshot), ViewFonts::systemFont(12.5, QFont::Bold),
                                 ThemeColor::fixed(textColor));
    row->addWidget(name, 1, Qt::AlignVCenter);
    CapsuleTagStyle badge;
    badge.font = ViewFonts::systemFont(9.5, QFont::DemiBold);
    badge.horizontalPadding = 7;
    badge.verticalPadding = 3;
    row->addWidget(new CapsuleTag(Model::badgeText(), badge), 0, Qt::AlignVCenter);
    return header;
}

QWidget *makeRule()
{
    auto *rule = new Divider;
    rule->setFixedSize(1, static_cast<int>(Model::dividerHeight));
    return rule;
}

} // namespace

SparkQuotaCard::SparkQuotaCard(const RateLimitSnapshot &snapshot, QWidget *parent)
    : CardFrame(Model::padding, CardFrameStyle::withShadow(Model::shadow()), parent)
{
    auto *layout = new QVBoxLayout;
    layout->setSpacing(Model::spacing);
    layout->addWidget(makeHeader(snapshot));
    auto *meters = new QHBoxLayout;
    meters->setSpacing(Model::meterSpacing);
    if (const auto fiveHour = snapshot.fiveHourWindow())
        meters->addWidget(new CompactQuotaMeter(QStringLiteral("5H"), fiveHour), 1, Qt::AlignVCenter);
    if (Model::showsDivider(snapshot))
        meters->addWidget(makeRule(), 0, Qt::AlignVCenter);
    if (const auto weekly = snapshot.weeklyWindow())
        meters->addWidget(new CompactQuotaMeter(QStringLiteral("7D"), weekly), 1, Qt::AlignVCenter);
    layout->addLayout(meters);
    setContentLayout(layout);
    setAccessibleName(Model::accessibilityLabel());
}

QList<CompactQuotaMeter *> SparkQuotaCard::meters() const
{
    return findChildren<CompactQuotaMeter *>();
}

} // namespace pulsegrove
