#include "views/insights/QuotaResetHintsCard.h"

#include "insights/QuotaInsightsTexts.h"
#include "insights/QuotaNoticeStore.h"
#include "views/insights/QuotaResetHintsCardModel.h"
#include "views/primitives/CardHeaderRow.h"
#include "views/primitives/DisclosureButton.h"
#include "views/primitives/MinuteTimeline.h"
#include "views/primitives/ToggleSwitch.h"
#include "views/primitives/ViewFonts.h"
#include "views/primitives/ViewLabels.h"
#include "views/primitives/WrappingText.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace pulsegrove {

namespace {

using Model = QuotaResetHintsCardModel;

QVBoxLayout *columnLayout(QWidget *column, int spacing)
{
    auto *layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    return layout;
}

} // namespace

QuotaResetHintsCard::QuotaResetHintsCard(const std::optional<QuotaSnapshot> &snapshot, bool isStale,
                                         QWidget *parent)
    : QuotaResetHintsCard(snapshot, isStale, QuotaNoticeStore::shared(), UserDefaults::standard(),
                          systemClock(), parent)
{
}

QuotaResetHintsCard::QuotaResetHintsCard(const std::optional<QuotaSnapshot> &snapshot, bool isStale,
                                         QuotaNoticeStore &noticeStore,
                                         std::shared_ptr<UserDefaults> defaults, Clock clock, QWidget *parent)
    : CardFrame(Model::padding, CardFrameStyle{}, parent), m_snapshot(snapshot), m_isStale(isStale),
      m_noticeStore(noticeStore), m_defaults(std::move(defaults)),
      m_timeline(new MinuteTimeline(this, std::move(clock)))
{
    auto *layout = new QVBoxLayout;
    layout->setSpacing(Model::spacing);
    layout->addWidget(makeHeader());
    m_titleLabel = ViewLabels::makeLabel(QString(), ViewFonts::systemFont(13, QFont::DemiBold));
    m_titleLabel->setWordWrap(true);
    layout->addWidget(m_titleLabel);
    m_detailLabel = ViewLabels::makeLabel(QString(), ViewFonts::systemFont(10.5, QFont::Medium),
                                          ThemeColor::secondaryText());
    m_detailLabel->setWordWrap(true);
    layout->addWidget(m_detailLabel);

    m_noticesButton = new DisclosureButton(Model::noticesLabel(), Model::noticesLabel(),
                                           ViewFonts::systemFont(10.5, QFont::DemiBold));
    connect(m_noticesButton, &DisclosureButton::toggled, this, &QuotaResetHintsCard::setShowNotices);
    layout->addWidget(m_noticesButton, 0, Qt::AlignLeft);
    m_notices = new QWidget;
    m_noticesLayout = columnLayout(m_notices, Model::noticeSpacing);
    m_notices->setVisible(false);
    layout->addWidget(m_notices);
    setContentLayout(layout);
    setAccessibleName(QuotaInsightsTexts::resetHintTitle());

    connect(m_timeline, &MinuteTimeline::tick, this, [this](Date now) {
        showHint(now);
        showNoticeRows();
    });
    connect(&m_noticeStore, &QuotaNoticeStore::stateChanged, this, &QuotaResetHintsCard::showNoticeRows);
    showHint(m_timeline->now());
}

QWidget *QuotaResetHintsCard::makeHeader()
{
    auto *header = new QWidget;
    QHBoxLayout *row = CardHeaderRow::make(header, Model::symbol(), QuotaInsightsTexts::resetHintTitle(),
                                           Model::headerSpacing);
    row->addWidget(ViewLabels::makeLabel(Model::reminderLabel(), ViewFonts::systemFont(9.5, QFont::DemiBold),
                                         ThemeColor::secondaryText()),
                   0, Qt::AlignVCenter);
    m_reminderSwitch = new ToggleSwitch(Model::reminderLabel());
    m_reminderSwitch->setChecked(Model::remindersEnabled(*m_defaults));
    connect(m_reminderSwitch, &ToggleSwitch::toggled, this,
            [this](bool enabled) { Model::setRemindersEnabled(*m_defaults, enabled); });
    row->addWidget(m_reminderSwitch, 0, Qt::AlignVCenter);
    return header;
}

void QuotaResetHintsCard::setShowNotices(bool show)
{
    if (show == m_showNotices)
        return;
    m_showNotices = show;
    m_noticesButton->setChecked(show);
    m_notices->setVisible(show);
    showNoticeRows();
}

void QuotaResetHintsCard::showHint(Date now)
{
    const QuotaResetHint hint = QuotaResetHint::next(m_snapshot, m_isStale, now);
    m_titleLabel->setText(Model::title(hint));
    // Without a colour of its own the title inherits the window's text colour.
    QPalette palette;
    if (const auto color = Model::titleColor(hint))
        palette.setColor(QPalette::WindowText, color->resolve());
    m_titleLabel->setPalette(palette);
    m_detailLabel->setText(Model::detail(hint));
}

void QuotaResetHintsCard::showNoticeRows()
{
    if (!m_showNotices)
        return;
    while (QLayoutItem *item = m_noticesLayout->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    for (const Model::NoticeRow &row : Model::noticeRows(m_noticeStore.stateFor(m_timeline->now()))) {
        auto *notice = new QWidget;
        QVBoxLayout *texts = columnLayout(notice, Model::noticeTextSpacing);
        const bool isPlaceholder = !row.summary;
        texts->addWidget(new WrappingText(
            row.title, ViewFonts::systemFont(10.5, isPlaceholder ? QFont::Medium : QFont::DemiBold),
            isPlaceholder ? std::optional(ThemeColor::secondaryText()) : std::nullopt, Qt::AlignLeft));
        if (row.summary)
            texts->addWidget(new WrappingText(*row.summary, ViewFonts::systemFont(10, QFont::Medium),
                                              ThemeColor::secondaryText(), Qt::AlignLeft));
        m_noticesLayout->addWidget(notice);
    }
}

QString QuotaResetHintsCard::hintTitle() const
{
    return m_titleLabel->text();
}

QString QuotaResetHintsCard::hintDetail() const
{
    return m_detailLabel->text();
}

QStringList QuotaResetHintsCard::noticeTexts() const
{
    QStringList texts;
    for (const WrappingText *text : m_notices->findChildren<WrappingText *>())
        texts.append(text->text());
    return texts;
}

QuotaResetHintsCard::~QuotaResetHintsCard()
{
    setRegistered(false);
}

void QuotaResetHintsCard::setRegistered(bool registered)
{
    if (registered == m_isRegistered)
        return;
    m_isRegistered = registered;
    m_noticeStore.setVisible(registered);
}

void QuotaResetHintsCard::showEvent(QShowEvent *event)
{
    setRegistered(true);
    CardFrame::showEvent(event);
}

void QuotaResetHintsCard::hideEvent(QHideEvent *event)
{
    setRegistered(false);
    CardFrame::hideEvent(event);
}

} // namespace pulsegrove
