#include "ViewRendering.h"
#include "theme/QuotaTheme.h"
#include "views/EmptyStateView.h"
#include "views/LoadingStateView.h"
#include "views/ModulesHiddenStateView.h"
#include "views/PanelStateModel.h"
#include "views/primitives/ActivityIndicator.h"
#include "views/primitives/CardFrame.h"
#include "views/primitives/DarkPalette.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace pulsegrove {
namespace {

// The panel's content column: 360 wide less 16 on each side.
constexpr int contentWidth = 328;

QColor accent()
{
    return QuotaThemeIDs::palette(QuotaTheme::selected()).accent;
}

QStringList labelTexts(const QWidget &view)
{
    QStringList texts;
    for (const QLabel *label : view.findChildren<QLabel *>())
        texts.append(label->text());
    return texts;
}

// Renders the view at the panel's width, checks it is of a sensible size and shows the accent
// somewhere (symbol, button or spinner), and saves it when snapshots are requested.
void expectSensibleRender(QWidget &view, const QString &name, int minimumHeight, int maximumHeight)
{
    DarkPalette::apply(&view);
    const QImage image = testing::renderAtWidth(view, contentWidth);
    testing::saveSnapshotIfRequested(image, name);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.width(), contentWidth);
    EXPECT_GE(image.height(), minimumHeight);
    EXPECT_LE(image.height(), maximumHeight);
    EXPECT_GT(testing::countPixelsNear(image, accent(), 24), 10) << name.toStdString();
}

TEST(PanelStateModelTests, EmptyMessageIsNeverConfusedWithNoMessage)
{
    EXPECT_EQ(PanelStateModel::emptyMessage(std::nullopt),
              QStringLiteral("请确认 Codex 已安装并完成登录，然后点击下方刷新。"));
    EXPECT_EQ(PanelStateModel::emptyMessage(QString()), QString());
    EXPECT_EQ(PanelStateModel::emptyMessage(QStringLiteral("无法启动 Codex")),
              QStringLiteral("无法启动 Codex"));
}

TEST(EmptyStateViewTests, ShowsTheMessageVerbatimOrTheHint)
{
    const testing::IsolatedTheme theme;
    const EmptyStateView withoutMessage(std::nullopt);
    EXPECT_EQ(withoutMessage.detailLabel()->text(), PanelStateModel::emptyFallbackMessage());
    EXPECT_EQ(withoutMessage.titleLabel()->text(), QStringLiteral("暂时无法读取额度"));

    EmptyStateView emptyMessage{QString()};
    EXPECT_EQ(emptyMessage.detailLabel()->text(), QString());
    const QImage image = testing::renderAtWidth(emptyMessage, contentWidth);
    EXPECT_GT(emptyMessage.detailLabel()->height(), 5) << "an empty message still takes its line";

    // A message from outside is text, never markup.
    const EmptyStateView markup{QStringLiteral("<b>失败</b>")};
    EXPECT_EQ(markup.detailLabel()->textFormat(), Qt::PlainText);
    EXPECT_TRUE(markup.detailLabel()->wordWrap());
}

TEST(EmptyStateViewTests, LongMessagesWrapInsteadOfWideningTheCard)
{
    const testing::IsolatedTheme theme;
    EmptyStateView shortView{QStringLiteral("失败")};
    EmptyStateView longView{QStringLiteral("无法读取额度：").repeated(12)};
    const QImage shortImage = testing::renderAtWidth(shortView, contentWidth);
    const QImage longImage = testing::renderAtWidth(longView, contentWidth);
    EXPECT_EQ(longImage.width(), contentWidth);
    EXPECT_GT(longImage.height(), shortImage.height() + 20);
}

TEST(EmptyStateViewTests, RendersOnTheCommonFrame)
{
    const testing::IsolatedTheme theme;
    EmptyStateView view(std::nullopt);
    EXPECT_EQ(view.padding(), 24);
    EXPECT_EQ(view.style().fill, ThemeColor::card(0.86));
    EXPECT_EQ(view.style().border, ThemeColor::border());
    EXPECT_FALSE(view.style().shadow.has_value());
    EXPECT_EQ(view.graphicsEffect(), nullptr);
    expectSensibleRender(view, QStringLiteral("empty-state"), 120, 260);
}

TEST(ModulesHiddenStateViewTests, ButtonRunsTheActionOnlyWhenThereIsOne)
{
    const testing::IsolatedTheme theme;
    int calls = 0;
    ModulesHiddenStateView view([&calls] { ++calls; });
    ASSERT_NE(view.openSettingsButton(), nullptr);
    EXPECT_EQ(view.openSettingsButton()->text(), QStringLiteral("打开模块设置"));
    QTest::mouseClick(view.openSettingsButton(), Qt::LeftButton);
    view.openSettingsButton()->click();
    EXPECT_EQ(calls, 2);

    ModulesHiddenStateView withoutAction{std::function<void()>()};
    EXPECT_NO_THROW(withoutAction.openSettingsButton()->click());
}

TEST(ModulesHiddenStateViewTests, ExplainsThatTheStatusBarPercentageStays)
{
    const testing::IsolatedTheme theme;
    ModulesHiddenStateView view([] {});
    EXPECT_EQ(labelTexts(view),
              (QStringList{QStringLiteral("所有内容模块都已隐藏"),
                           QStringLiteral("菜单栏额度百分比仍会保留，可以随时在设置中重新开启模块。")}));
    expectSensibleRender(view, QStringLiteral("modules-hidden-state"), 150, 320);
}

TEST(LoadingStateViewTests, ShowsTwoIdenticalRows)
{
    const testing::IsolatedTheme theme;
    LoadingStateView view;
    const QList<CardFrame *> rows = view.findChildren<CardFrame *>();
    ASSERT_EQ(rows.size(), 2);
    for (const CardFrame *row : rows) {
        EXPECT_EQ(row->padding(), 18);
        EXPECT_EQ(labelTexts(*row), (QStringList{QStringLiteral("正在读取 Codex 额度"),
                                                 QStringLiteral("首次连接通常只需几秒")}));
        EXPECT_EQ(row->findChildren<ActivityIndicator *>().size(), 1);
    }
    expectSensibleRender(view, QStringLiteral("loading-state"), 100, 200);
    EXPECT_EQ(rows[0]->height(), rows[1]->height());
}

TEST(LoadingStateViewTests, IndicatorsTurnOnlyWhileShown)
{
    const testing::IsolatedTheme theme;
    LoadingStateView view;
    const QList<ActivityIndicator *> indicators = view.findChildren<ActivityIndicator *>();
    ASSERT_EQ(indicators.size(), 2);
    EXPECT_FALSE(indicators[0]->isAnimating());
    view.show();
    EXPECT_TRUE(indicators[0]->isAnimating());
    EXPECT_TRUE(indicators[1]->isAnimating());
    view.hide();
    EXPECT_FALSE(indicators[0]->isAnimating());
}

} // namespace
} // namespace pulsegrove
