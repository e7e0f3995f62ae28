#include "views/panel/QuotaPanelSizing.h"

#include <algorithm>
#include <cmath>

namespace pulsegrove {

namespace {

qreal heightOf(const QuotaPanelSectionHeights &heights, QuotaPanelSection section)
{
    const auto found = heights.find(section);
    return found == heights.end() ? 0 : found->second;
}

} // namespace

QuotaPanelSectionHeights QuotaPanelSizing::rounded(const QuotaPanelSectionHeights &heights)
{
    QuotaPanelSectionHeights result;
    for (const auto &[section, height] : heights)
        result[section] = std::ceil(height);
    return result;
}

qreal QuotaPanelSizing::preferredHeight(const QuotaPanelSectionHeights &heights, qreal maximumHeight)
{
    const qreal header = heightOf(heights, QuotaPanelSection::header);
    const qreal content = heightOf(heights, QuotaPanelSection::content);
    const qreal footer = heightOf(heights, QuotaPanelSection::footer);
    const qreal available = maximumHeight - header - footer - dividersHeight;
    const qreal contentPart =
        std::min(content, available >= minimumContentHeight ? available : minimumContentHeight);
    return header + contentPart + footer + dividersHeight;
}

std::optional<qreal> QuotaPanelSizing::contentViewportHeight(const QuotaPanelSectionHeights &heights,
                                                             qreal maximumHeight)
{
    if (heights.size() < 3)
        return std::nullopt;
    const qreal header = heightOf(heights, QuotaPanelSection::header);
    const qreal footer = heightOf(heights, QuotaPanelSection::footer);
    return std::min(heightOf(heights, QuotaPanelSection::content),
                    std::max(minimumContentHeight, maximumHeight - header - footer - dividersHeight));
}

std::optional<qreal> QuotaPanelHeightNegotiator::accept(const QuotaPanelSectionHeights &measured)
{
    QuotaPanelSectionHeights heights = QuotaPanelSizing::rounded(measured);
    if (heights == m_measured)
        return std::nullopt;
    m_measured = std::move(heights);
    const qreal preferred = QuotaPanelSizing::preferredHeight(m_measured, m_maximumHeight);
    if (std::abs(preferred - m_lastReportedHeight) <= reportThreshold)
        return std::nullopt;
    m_lastReportedHeight = preferred;
    return preferred;
}

std::optional<qreal> QuotaPanelHeightNegotiator::preferredHeight() const
{
    if (m_measured.empty())
        return std::nullopt;
    return QuotaPanelSizing::preferredHeight(m_measured, m_maximumHeight);
}

std::optional<qreal> QuotaPanelHeightNegotiator::contentViewportHeight() const
{
    return QuotaPanelSizing::contentViewportHeight(m_measured, m_maximumHeight);
}

} // namespace pulsegrove
