#include "views/panel/QuotaPanelSizing.h"

#include <gtest/gtest.h>

namespace pulsegrove {
namespace {

using Section = QuotaPanelSection;

QuotaPanelSectionHeights heights(qreal header, qreal content, qreal footer)
{
    return {{Section::header, header}, {Section::content, content}, {Section::footer, footer}};
}

// The content part is capped by what the maximum leaves, but never below 80 points or its own
// height: a short maximum makes the panel taller than the maximum rather than hide the content.
TEST(QuotaPanelSizingTests, PreferredHeightAndViewportFollowTheMaximumWithAnEightyPointFloor)
{
    struct Case {
        qreal maximum, header, content, footer, preferred, viewport;
    };
    const Case cases[] = {
        {600, 70, 500, 90, 600, 438}, // capped at the available 438
        {600, 70, 300, 90, 462, 300}, // fits
        {200, 70, 500, 90, 242, 80},  // 38 available: the floor of 80 wins
        {200, 70, 50, 90, 212, 50},   // below the floor, the content's own height
        {240, 70, 500, 90, 242, 80},  // 78 available: the floor again
        {600.4, 70, 500, 90, 600.4, 438.4},
    };
    for (const Case &c : cases) {
        const auto measured = heights(c.header, c.content, c.footer);
        EXPECT_DOUBLE_EQ(QuotaPanelSizing::preferredHeight(measured, c.maximum), c.preferred) << c.maximum;
        EXPECT_EQ(QuotaPanelSizing::contentViewportHeight(measured, c.maximum), c.viewport) << c.maximum;
    }
    // A missing section counts as 0 for the height, and leaves the viewport unconstrained.
    const QuotaPanelSectionHeights partial{{Section::header, 70}, {Section::content, 100}};
    EXPECT_DOUBLE_EQ(QuotaPanelSizing::preferredHeight(partial, 600), 172);
    EXPECT_EQ(QuotaPanelSizing::contentViewportHeight(partial, 600), std::nullopt);
    EXPECT_EQ(QuotaPanelSizing::rounded(heights(69.2, 300.01, 89.5)), heights(70, 301, 90));
}

// The host hears of a height only when it moves by more than half a point; the new section
// heights are kept even when nothing is reported.
TEST(QuotaPanelSizingTests, NegotiatorReportsOnlyMovesAboveHalfAPoint)
{
    QuotaPanelHeightNegotiator negotiator(600.4);
    EXPECT_EQ(negotiator.preferredHeight(), std::nullopt);
    EXPECT_EQ(negotiator.contentViewportHeight(), std::nullopt);

    struct Step {
        QuotaPanelSectionHeights measured;
        std::optional<qreal> reported;
        qreal lastReported;
    };
    const Step steps[] = {
        {heights(69.2, 300.01, 89.5), 463, 463},         // first measurement: 70 + 301 + 90 + 2
        {heights(69.6, 300.2, 89.1), std::nullopt, 463}, // rounds to the same heights
        {heights(70, 900, 90), 600.4, 600.4},            // capped by the fractional maximum
        {heights(70, 950, 90), std::nullopt, 600.4},     // still capped: same height
        {heights(70.4, 950, 90), std::nullopt, 600.4},   // 71: the cap moves with the header, not the total
        {heights(70, 301, 90), 463, 463},
        {heights(70, 300, 90), 462, 462}, // one point is reported
        {heights(70, 438, 90), 600, 600},
        {heights(70, 439, 90), std::nullopt, 600}, // 600.4: only 0.4 more, absorbed
    };
    for (const Step &step : steps) {
        EXPECT_EQ(negotiator.accept(step.measured), step.reported);
        EXPECT_DOUBLE_EQ(negotiator.lastReportedHeight(), step.lastReported);
        EXPECT_EQ(negotiator.measuredSectionHeights(), QuotaPanelSizing::rounded(step.measured));
    }
}

} // namespace
} // namespace pulsegrove
