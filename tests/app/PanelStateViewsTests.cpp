#include "CardRendering.h"
#include "theme/QuotaTheme.h"
#include "views/EmptyStateView.h"
#include "views/LoadingStateView.h"
#include "views/ModulesHiddenStateView.h"
#include "views/primitives/ActivityIndicator.h"
#include "views/primitives/DarkPalette.h"
#include "views/primitives/WrappingText.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace pulsegrove {
namespace {

QStringList labelTexts(const QWidget &view)
{
    QStringList texts;
    for (const QLabel *label : view.findChildren<QLabel *>())
        texts.append(label->text());
    for (const WrappingText *text : view.findChildren<WrappingText *>())
        texts.append(text->text());
    return texts;
}

// How wide the ink of each line of text is, in pixels: a line is a band of rows that hold pixels
// near `ink`.
std::vector<int> inkWidthsOfLines(const QImage &image, const QColor &ink)
{
    std::vector<int> widths;
    bool inLine = false;
    for (int y = 0; y < image.height(); ++y) {
        int left = image.width();
        int right = -1;
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.alpha() > 200 && std::abs(pixel.red() - ink.red()) + std::abs(pixel.green() - ink.green()) +
                                               std::abs(pixel.blue() - ink.blue()) < 60) {
                left = std::min(left, x);
                right = x;
            }
        }
        if (right < 0) {
            inLine = false;
            continue;
        }
        if (!inLine)
            widths.push_back(0);
        inLine = true;
        widths.back() = std::max(widths.back(), right - left + 1);
    }
    return widths;
}

// Renders the view at the panel's width and checks that it is of a sensible height and shows the
// accent (symbol, button or spinner) and the secondary text.
void expectSensibleRender(QWidget &view, const QString &name, int minimumHeight, int maximumHeight)
{
    DarkPalette::apply(&view);
    const QImage image = testing::renderAtWidth(view, testing::panelContentWidth, name);
    EXPECT_TRUE(image.height() >= minimumHeight && image.height() <= maximumHeight) << image.height();
    EXPECT_GT(testing::countPixelsNear(image, QuotaThemeIDs::palette(QuotaTheme::selected()).accent, 24), 10);
    EXPECT_GT(testing::countPixelsNear(image, QuotaTheme::secondaryText(), 40), 10);
}

// Only a missing message gives the hint; an empty one is shown as it is, as an empty line. A
// long message, even one long token, wraps instead of widening the card.
TEST(EmptyStateViewTests, ShowsTheMessageVerbatimAndWrappedOrTheHintOnlyWithoutOne)
{
    const testing::IsolatedTheme theme;
    EmptyStateView withoutMessage(std::nullopt);
    EXPECT_EQ(labelTexts(withoutMessage),
              (QStringList{QStringLiteral("暂时无法读取额度"),
                           QStringLiteral("请确认 Codex 已安装并完成登录，然后点击下方刷新。")}));
    expectSensibleRender(withoutMessage, QStringLiteral("empty-state"), 120, 260);

    EmptyStateView emptyMessage{QString()};
    EXPECT_EQ(emptyMessage.detailText()->text(), QString());
    const int oneLineHeight = testing::renderAtWidth(emptyMessage, testing::panelContentWidth).height();
    EXPECT_GT(emptyMessage.detailText()->height(), 5) << "an empty message still takes its line";

    for (const QString &message : {QStringLiteral("无法读取额度：").repeated(12),
                                   QStringLiteral("spawn failed: ") + QString(150, QLatin1Char('x'))}) {
        EmptyStateView view{message};
        EXPECT_LE(view.minimumSizeHint().width(), testing::panelContentWidth);
        EXPECT_GT(testing::renderAtWidth(view, testing::panelContentWidth, QStringLiteral("empty-state-long")).height(),
                  oneLineHeight + 20);
    }
}

// It explains that the tray's percentage stays, in two even lines (no word left alone on the
// second); its button runs the action only when there is one.
TEST(ModulesHiddenStateViewTests, ExplainsAndOpensTheSettingsOnlyWithAnAction)
{
    const testing::IsolatedTheme theme;
    int calls = 0;
    ModulesHiddenStateView view([&calls] { ++calls; });
    EXPECT_EQ(labelTexts(view),
              (QStringList{QStringLiteral("所有内容模块都已隐藏"),
                           QStringLiteral("托盘额度百分比仍会保留，可以随时在设置中重新开启模块。")}));
    EXPECT_EQ(view.openSettingsButton()->text(), QStringLiteral("打开模块设置"));
    expectSensibleRender(view, QStringLiteral("modules-hidden-state"), 150, 320);
    const auto lines = inkWidthsOfLines(view.findChildren<WrappingText *>().front()->grab().toImage(),
                                        QuotaTheme::secondaryText());
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_GT(lines.back(), lines.front() / 2) << lines.front() << " then " << lines.back();
    QTest::mouseClick(view.openSettingsButton(), Qt::LeftButton);
    EXPECT_EQ(calls, 1);

    ModulesHiddenStateView withoutAction{std::function<void()>()};
    EXPECT_NO_THROW(withoutAction.openSettingsButton()->click());
}

// Two identical rows whose indicators turn only while the view is on screen.
TEST(LoadingStateViewTests, ShowsTwoIdenticalRowsThatTurnOnlyWhileShown)
{
    const testing::IsolatedTheme theme;
    LoadingStateView view;
    const QList<CardFrame *> rows = view.findChildren<CardFrame *>();
    ASSERT_EQ(rows.size(), 2);
    const QStringList row{QStringLiteral("正在读取 Codex 额度"), QStringLiteral("首次连接通常只需几秒")};
    EXPECT_EQ(labelTexts(view), row + row);
    expectSensibleRender(view, QStringLiteral("loading-state"), 100, 200);
    EXPECT_EQ(rows[0]->height(), rows[1]->height());

    const QList<ActivityIndicator *> indicators = view.findChildren<ActivityIndicator *>();
    ASSERT_EQ(indicators.size(), 2);
    EXPECT_FALSE(indicators[0]->isAnimating());
    view.show();
    EXPECT_TRUE(indicators[0]->isAnimating() && indicators[1]->isAnimating());
    view.hide();
    EXPECT_FALSE(indicators[0]->isAnimating());
}

} // namespace
} // namespace pulsegrove
