#pragma once

#include "views/panel/QuotaPanelContent.h"
#include "views/panel/QuotaPanelSizing.h"

#include <QWidget>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

class QVBoxLayout;

namespace pulsegrove {

class QuotaPanelFooter;
class OverlayScrollArea;
class QuotaPanelHeader;
class QuotaStore;
class SystemMetricsStore;

// The popover panel: a 360-point column of a header, a scrolling content area and a footer on
// the theme's gradient. It measures its three sections after every change, reports the height it
// wants (within what the host allows) when that moves by more than half a point, and while it is
// on screen it counts as a visible surface of the quota store and, while it shows the system
// card, of the metrics store. It stores nothing: it reads both stores and calls their operations.
class QuotaPanelView : public QWidget {
    Q_OBJECT

public:
    static constexpr int panelWidth = 360;
    static constexpr int contentSpacing = 11;
    static constexpr int contentHorizontalPadding = 16;
    static constexpr int contentVerticalPadding = 14;

    QuotaPanelView(QuotaStore &store, SystemMetricsStore &metricsStore, qreal maximumHeight,
                   const QString &surfaceID, std::function<void(qreal)> onPreferredHeightChange,
                   QWidget *parent = nullptr);
    // A panel destroyed while on screen withdraws its surface, as one that is hidden does.
    ~QuotaPanelView() override;

    const QString &surfaceID() const { return m_surfaceID; }
    qreal maximumHeight() const { return m_heights.maximumHeight(); }
    // Nothing until the sections have been measured.
    std::optional<qreal> preferredHeight() const { return m_heights.preferredHeight(); }
    std::optional<qreal> contentViewportHeight() const { return m_heights.contentViewportHeight(); }
    const QuotaPanelSectionHeights &measuredSectionHeights() const
    {
        return m_heights.measuredSectionHeights();
    }
    qreal lastReportedHeight() const { return m_heights.lastReportedHeight(); }

    // What the content column shows now, in order, and the view of each element.
    std::vector<QuotaPanelElement> contentElements() const;
    QWidget *contentView(std::size_t index) const;
    QuotaPanelHeader *header() const { return m_header; }
    QuotaPanelFooter *footer() const { return m_footer; }
    OverlayScrollArea *scrollArea() const { return m_scrollArea; }

    // Measures the sections now instead of on the next turn of the event loop (hosts and tests
    // that need the height at once).
    void measureNow();

    QSize sizeHint() const override;

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QuotaPanelContent::Inputs contentInputs() const;
    // Coalesces bursts of store changes into one update on the next turn of the event loop.
    void scheduleUpdate();
    void updateFromStores();
    void reconcileContent();
    void scheduleMeasurement();
    void applyHeights();
    void setOnScreen(bool onScreen);
    bool showsSystemMetrics() const;

    QuotaStore &m_store;
    SystemMetricsStore &m_metricsStore;
    QString m_surfaceID;
    std::function<void(qreal)> m_onPreferredHeightChange;
    QuotaPanelHeightNegotiator m_heights;
    QuotaPanelHeader *m_header;
    OverlayScrollArea *m_scrollArea;
    QWidget *m_content;
    QVBoxLayout *m_contentLayout;
    QuotaPanelFooter *m_footer;
    std::vector<std::pair<QuotaPanelElement, QWidget *>> m_shown;
    bool m_isOnScreen = false;
    bool m_updateScheduled = false;
    bool m_measurementScheduled = false;
    bool m_rebuildEverything = false;
};

} // namespace pulsegrove
