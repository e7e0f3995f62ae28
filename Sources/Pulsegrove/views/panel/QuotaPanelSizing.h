#pragma once

#include <QtGlobal>
#include <map>
#include <optional>

namespace pulsegrove {

// The three measured sections of the panel, top to bottom.
enum class QuotaPanelSection { header, content, footer };

// Section heights as measured; a section not measured yet has no entry.
using QuotaPanelSectionHeights = std::map<QuotaPanelSection, qreal>;

// The panel's height arithmetic. The content area scrolls inside whatever the host allows once
// the header, the footer and the two one-point dividers are placed, but it is never shown shorter
// than 80 points (or than itself when it is shorter), even when that makes the panel taller than
// the host's maximum.
struct QuotaPanelSizing {
    static constexpr qreal dividersHeight = 2;
    static constexpr qreal minimumContentHeight = 80;

    // Every height rounded up to the next whole point, keys kept, so sub-point layout jitter never
    // reads as a change.
    static QuotaPanelSectionHeights rounded(const QuotaPanelSectionHeights &heights);
    // Header, the content part and footer plus the dividers; a missing section counts as 0.
    static qreal preferredHeight(const QuotaPanelSectionHeights &heights, qreal maximumHeight);
    // The scrolling area's height; nothing until all three sections are measured.
    static std::optional<qreal> contentViewportHeight(const QuotaPanelSectionHeights &heights,
                                                      qreal maximumHeight);
};

// Remembers the last accepted section heights and the height last reported to the host, and
// decides whether a new measurement is reported: only when the preferred height moves by more
// than half a point.
class QuotaPanelHeightNegotiator {
public:
    static constexpr qreal reportThreshold = 0.5;

    explicit QuotaPanelHeightNegotiator(qreal maximumHeight) : m_maximumHeight(maximumHeight) {}

    // Takes a measurement; returns the height to report to the host, if any.
    std::optional<qreal> accept(const QuotaPanelSectionHeights &measured);

    qreal maximumHeight() const { return m_maximumHeight; }
    const QuotaPanelSectionHeights &measuredSectionHeights() const { return m_measured; }
    qreal lastReportedHeight() const { return m_lastReportedHeight; }
    // Nothing until a measurement was accepted.
    std::optional<qreal> preferredHeight() const;
    std::optional<qreal> contentViewportHeight() const;

private:
    qreal m_maximumHeight;
    QuotaPanelSectionHeights m_measured;
    qreal m_lastReportedHeight = 0;
};

} // namespace pulsegrove
