#include "CardRendering.h"
#include "TemporaryDirectory.h"
#include "insights/QuotaNoticeStore.h"
#include "theme/QuotaTheme.h"
#include "views/insights/ModelConsumptionReferenceCard.h"
#include "views/insights/QuotaResetHintsCard.h"
#include "views/insights/QuotaResetHintsCardModel.h"
#include "views/primitives/DisclosureButton.h"
#include "views/primitives/ToggleSwitch.h"

#include <QComboBox>
#include <QPromise>
#include <QTest>
#include <gtest/gtest.h>

namespace pulsegrove::testing {
namespace {

using Status = QuotaNoticeState::Status;
using Outcome = std::optional<QList<QuotaNotice>>;

const Date now = Date::fromUnixSeconds(1'800'000'000);

QuotaSnapshot snapshotResettingIn(double seconds)
{
    const auto resetsAt = static_cast<std::int64_t>(now.unixSeconds() + seconds);
    return QuotaSnapshot(RateLimitWindow{130, 300, resetsAt}, RateLimitWindow{-5, 10080, resetsAt + 86400},
                         std::nullopt, "pro", std::nullopt, now);
}

QuotaNotice notice(const QString &title, const QString &summary)
{
    return {title, title, summary, QString(), now, now.addingSeconds(86400), std::nullopt};
}

class InsightCardsTests : public ::testing::Test {
protected:
    // A notice store whose checks end with `outcome` as soon as they start.
    std::unique_ptr<QuotaNoticeStore> noticeStore(Outcome outcome)
    {
        return std::make_unique<QuotaNoticeStore>(
            m_defaults, [] { return now; },
            [this, outcome](std::stop_token) {
                ++m_checks;
                return QtFuture::makeReadyFuture(outcome);
            });
    }
    std::unique_ptr<QuotaResetHintsCard> hintsCard(const std::optional<QuotaSnapshot> &snapshot, bool isStale,
                                                   QuotaNoticeStore &store)
    {
        return std::make_unique<QuotaResetHintsCard>(snapshot, isStale, store, m_defaults,
                                                     [] { return now; });
    }

    IsolatedTheme m_theme;
    TemporaryDirectory m_home;
    std::shared_ptr<UserDefaults> m_defaults = std::make_shared<UserDefaults>(
        "io.velorn.Pulsegrove", Environment({{"XDG_CONFIG_HOME", (m_home.path() / "config").string()}}));
    int m_checks = 0;
};

// The card shows the hint of the snapshot it was built with, in the accent when imminent.
TEST_F(InsightCardsTests, HintsCardShowsTheHintOfItsSnapshot)
{
    auto store = noticeStore(std::nullopt);
    struct Case {
        std::optional<QuotaSnapshot> snapshot;
        bool isStale;
        QString title, detail;
        bool inAccent;
    };
    const std::vector<Case> cases = {
        {std::nullopt, false, QStringLiteral("等待账户重置时间"),
         QStringLiteral("Codex 暂未返回任何额度窗口的重置时间"), false},
        {snapshotResettingIn(1800), false, QStringLiteral("下次重置：5 小时额度 · 1 小时内重置"),
         QStringLiteral("5 小时额度 · 30分钟后重置"), true},
        {snapshotResettingIn(7200), true, QStringLiteral("重置计划待确认"),
         QStringLiteral("缓存数据 · 5 小时额度 · 2小时 0分后重置"), false},
    };
    for (const auto &[snapshot, isStale, title, detail, inAccent] : cases) {
        auto card = hintsCard(snapshot, isStale, *store);
        EXPECT_EQ(card->hintTitle(), title);
        EXPECT_EQ(card->hintDetail(), detail);
        EXPECT_EQ(
            QuotaResetHintsCardModel::titleColor(QuotaResetHint::next(snapshot, isStale, now)).has_value(),
            inAccent);
    }
}

// Shown and hidden, the card registers with the notice store, which checks and ends unavailable;
// the notices list opens on request with the placeholder or the notices as plain text.
TEST_F(InsightCardsTests, HintsCardRegistersWithTheNoticeStoreAndListsItsNotices)
{
    auto failing = noticeStore(std::nullopt);
    {
        auto card = hintsCard(std::nullopt, false, *failing);
        EXPECT_FALSE(card->showNotices());
        EXPECT_TRUE(card->noticeTexts().isEmpty());
        card->show();
        QCoreApplication::processEvents();
        EXPECT_TRUE(failing->isVisible());
        EXPECT_EQ(m_checks, 1);
        EXPECT_EQ(failing->state().status, Status::unavailable);
        QTest::mouseClick(card->noticesButton(), Qt::LeftButton);
        EXPECT_TRUE(card->showNotices());
        EXPECT_EQ(card->noticeTexts(), QStringList{QStringLiteral("暂时无法检查临时重置公告")});
        card->hide();
        EXPECT_FALSE(failing->isVisible());
        card->show();
    }
    EXPECT_FALSE(failing->isVisible()) << "a card destroyed on screen withdraws too";

    const QString markup = QStringLiteral("<b>加粗</b> &amp; <a href='x'>链接</a>");
    auto succeeding = noticeStore(QList<QuotaNotice>{notice(QStringLiteral("临时重置"), markup)});
    auto card = hintsCard(std::nullopt, false, *succeeding);
    card->setShowNotices(true);
    EXPECT_EQ(card->noticeTexts(), QStringList{QStringLiteral("正在检查已核实公告…")});
    card->show();
    QCoreApplication::processEvents();
    EXPECT_EQ(card->noticeTexts(), (QStringList{QStringLiteral("临时重置"), markup})) << "shown verbatim";
    EXPECT_FALSE(card->findChild<DisclosureButton *>()->text().isEmpty());
}

// The reminder switch is the stored preference: absent reads off, a flip is written at once.
TEST_F(InsightCardsTests, ReminderSwitchIsBoundToItsPreference)
{
    auto store = noticeStore(std::nullopt);
    auto off = hintsCard(std::nullopt, false, *store);
    EXPECT_FALSE(off->reminderSwitch()->isChecked());
    QTest::mouseClick(off->reminderSwitch(), Qt::LeftButton);
    EXPECT_EQ(m_defaults->boolValue(PulsegrovePreferenceKeys::resetReminders), true);
    auto on = hintsCard(std::nullopt, false, *store);
    EXPECT_TRUE(on->reminderSwitch()->isChecked());
    on->reminderSwitch()->click();
    EXPECT_EQ(m_defaults->boolValue(PulsegrovePreferenceKeys::resetReminders), false);
    m_defaults->setString(PulsegrovePreferenceKeys::resetReminders, "yes");
    EXPECT_FALSE(hintsCard(std::nullopt, false, *store)->reminderSwitch()->isChecked());
}

const QuotaInsightsCatalog catalog{
    QStringLiteral("2026-11-30T08:00:00Z"),
    {{QStringLiteral("other"), QStringLiteral("Other <i>model</i>"), std::nullopt, std::nullopt, std::nullopt,
      std::nullopt},
     {QStringLiteral("gpt-5.4"), QStringLiteral("GPT-5.4"), 1.25, 0.125, 10.0, 2.0}}};

// The model card starts collapsed on "gpt-5.4", without fast mode, at effort "high"; expanded it
// explains the numbers and, with a catalog, shows the chosen model's rows.
TEST_F(InsightCardsTests, ModelCardStartsCollapsedAndShowsTheChosenModel)
{
    ModelConsumptionReferenceCard card(catalog);
    EXPECT_EQ(card.viewState(), (ModelConsumptionReferenceModel::ViewState{false, QStringLiteral("gpt-5.4"),
                                                                           false, QStringLiteral("high")}));
    const QString explanation = QStringLiteral("credits / 100 万 tokens；不是每次请求额度百分比");
    card.show();
    EXPECT_FALSE(card.findChild<ToggleSwitch *>()->isVisible());
    QTest::mouseClick(card.disclosureButton(), Qt::LeftButton);
    EXPECT_TRUE(card.viewState().isExpanded);
    EXPECT_EQ(card.modelPicker()->currentText(), QStringLiteral("GPT-5.4"));
    const QString locale4 = QLocale().toString(1.25, 'f', QLocale::FloatingPointShortest);
    EXPECT_EQ(card.shownTexts().size(), 5);
    EXPECT_EQ(card.shownTexts().first(), explanation);
    EXPECT_TRUE(card.shownTexts().at(1).startsWith(QStringLiteral("标准：输入 ") + locale4));
    EXPECT_EQ(card.shownTexts().last(), QStringLiteral("核实日期：2026-11-30"));

    card.modelPicker()->setCurrentIndex(0);
    EXPECT_EQ(card.viewState().selectedModel, QStringLiteral("other"));
    EXPECT_EQ(card.shownTexts().at(1), QStringLiteral("独立额度，暂无已公布的可比 credits 费率"));
    card.fastModeSwitch()->click();
    EXPECT_TRUE(card.viewState().fastMode);
    EXPECT_EQ(ModelConsumptionReferenceModel::rows(catalog, card.viewState()).at(1).isEmphasized, true);

    ModelConsumptionReferenceCard withoutCatalog(std::nullopt);
    withoutCatalog.setExpanded(true);
    EXPECT_EQ(withoutCatalog.shownTexts(), QStringList{explanation});
    EXPECT_EQ(withoutCatalog.modelPicker(), nullptr);
}

// A selection the catalog does not list falls back to its first model; no catalog, no rows.
TEST_F(InsightCardsTests, ModelRowsFallBackToTheFirstModel)
{
    using Model = ModelConsumptionReferenceModel;
    EXPECT_EQ(Model::shownModel(catalog, QStringLiteral("missing"))->id, QStringLiteral("other"));
    EXPECT_EQ(Model::shownModel(QuotaInsightsCatalog{}, QStringLiteral("gpt-5.4")), std::nullopt);
    EXPECT_TRUE(Model::rows(std::nullopt, {}).isEmpty());
}

// Both cards in every theme: a sensible height, accent and secondary text drawn,
// nothing wider than the panel's column, also with a long title and markup in the notices.
TEST_F(InsightCardsTests, RenderInEveryThemeAndScale)
{
    auto store = noticeStore(
        QList<QuotaNotice>{notice(QStringLiteral("临时重置：").repeated(12),
                                  QStringLiteral("<b>不是标记</b> ") + QString(150, QLatin1Char('x')))});
    store->setVisible(true);
    QCoreApplication::processEvents();
    for (const QuotaThemeID theme : QuotaThemeIDs::allCases) {
        // Cards take their colours when built, as the panel rebuilds them for a new theme.
        selectTheme(theme);
        auto hints = hintsCard(snapshotResettingIn(1800), false, *store);
        hints->setShowNotices(true);
        ModelConsumptionReferenceCard expanded(catalog);
        expanded.setExpanded(true);
        ModelConsumptionReferenceCard shipped(std::nullopt);
        shipped.setExpanded(true);
        struct Subject {
            QWidget *card;
            const char *name;
            int minimumHeight, maximumHeight;
        };
        const std::vector<Subject> subjects = {{hints.get(), "reset-hints", 150, 420},
                                               {&expanded, "model-consumption-expanded", 150, 320},
                                               {&shipped, "model-consumption-without-catalog", 60, 110}};
        for (const auto &[card, name, minimumHeight, maximumHeight] : subjects) {
            EXPECT_LE(card->minimumSizeHint().width(), panelContentWidth) << name;
            const QImage image = renderOnPanel(
                *card, 1,
                QStringLiteral("%1-%2").arg(QLatin1String(name), QString::fromUtf8(QuotaThemeIDs::rawValue(theme).data())));
            EXPECT_GE(card->height(), minimumHeight) << name;
            EXPECT_LE(card->height(), maximumHeight) << name;
            EXPECT_GT(countInkPixels(image, QuotaThemeIDs::palette(theme).accent, 0.9, 30), 10) << name;
            EXPECT_GT(countInkPixels(image, QuotaTheme::secondaryText(), 0.9, 40), 10) << name;
        }
    }
}

} // namespace
} // namespace pulsegrove::testing
