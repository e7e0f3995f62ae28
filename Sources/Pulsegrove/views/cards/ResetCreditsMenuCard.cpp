#include "views/cards/ResetCreditsMenuCard.h"

#include "views/cards/ResetCreditsMenuCardModel.h"
#include "views/primitives/CapsuleTag.h"
#include "views/primitives/IconTile.h"
#include "views/primitives/MinuteTimeline.h"
#include "views/primitives/PanelMenu.h"
#include "views/primitives/ViewFonts.h"
#include "views/primitives/ViewLabels.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QVBoxLayout>

namespace pulsegrove {

namespace {

using Model = ResetCreditsMenuCardModel;

constexpr int minimumGap = 8;

// The capsule face of the pull-down: a click or the keyboard opens the menu under it.
class MenuCapsule : public CapsuleTag {
public:
    MenuCapsule(const QString &text, const CapsuleTagStyle &style, QMenu *menu)
        : CapsuleTag(text, style), m_menu(menu)
    {
        setFocusPolicy(Qt::TabFocus);
        setCursor(Qt::PointingHandCursor);
    }

protected:
    void mousePressEvent(QMouseEvent *event) override
    {
        if (event->button() == Qt::LeftButton)
            open();
    }
    void keyPressEvent(QKeyEvent *event) override
    {
        if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
            open();
        else
            CapsuleTag::keyPressEvent(event);
    }

private:
    void open() { m_menu->popup(mapToGlobal(QPoint(0, height()))); }

    QMenu *m_menu;
};

CapsuleTagStyle faceStyle()
{
    CapsuleTagStyle style;
    style.font = ViewFonts::systemFont(10.5, QFont::Bold);
    style.horizontalPadding = 9;
    style.verticalPadding = 6;
    style.trailingSymbol = QStringLiteral("chevron.down");
    style.symbolPoints = 8;
    style.spacing = 5;
    return style;
}

QLayout *makeTexts()
{
    auto *texts = new QVBoxLayout;
    texts->setSpacing(Model::textSpacing);
    texts->addWidget(ViewLabels::makeLabel(Model::title(), ViewFonts::systemFont(12.5, QFont::Bold)));
    texts->addWidget(ViewLabels::makeLabel(Model::subtitle(), ViewFonts::systemFont(9.5, QFont::Medium),
                                           ThemeColor::secondaryText()));
    return texts;
}

} // namespace

ResetCreditsMenuCard::ResetCreditsMenuCard(const std::optional<RateLimitResetCreditsSummary> &summary,
                                           QWidget *parent)
    : CardFrame(Model::padding, CardFrameStyle::withShadow(Model::shadow()), parent), m_summary(summary)
{
    m_menu = new PanelMenu(this);
    m_timeline = new MinuteTimeline(this);
    connect(m_menu, &QMenu::aboutToShow, this, [this] { rebuildMenu(m_timeline->now()); });

    auto *layout = new QHBoxLayout;
    layout->setSpacing(Model::spacing);
    layout->addWidget(new IconTile(Model::symbol(), IconTileStyle{}), 0, Qt::AlignVCenter);
    layout->addLayout(makeTexts());
    layout->addSpacing(minimumGap - Model::spacing > 0 ? minimumGap - Model::spacing : 0);
    layout->addStretch(1);
    auto *button = new MenuCapsule(Model::faceText(m_summary), faceStyle(), m_menu);
    button->setToolTip(Model::toolTip());
    button->setAccessibleName(Model::accessibilityLabel());
    button->setAccessibleDescription(Model::accessibilityValue(m_summary));
    layout->addWidget(button, 0, Qt::AlignVCenter);
    setContentLayout(layout);
    rebuildMenu(m_timeline->now());
}

void ResetCreditsMenuCard::rebuildMenu(Date now)
{
    m_menu->clear();
    for (const Model::MenuRow &row : Model::menuRows(m_summary, now)) {
        if (row.isDivider) {
            m_menu->addSeparator();
            continue;
        }
        // An ampersand in a row is a character, not a keyboard mnemonic.
        QString title = row.text;
        title.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction *action = m_menu->addAction(title);
        action->setEnabled(false);
    }
}

} // namespace pulsegrove
