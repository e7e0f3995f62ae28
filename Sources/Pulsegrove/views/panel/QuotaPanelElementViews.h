#pragma once

#include "views/panel/QuotaPanelContent.h"

class QWidget;

namespace pulsegrove {

class QuotaStore;
class SystemMetricsStore;

// Builds the view of one content element of the panel.
struct QuotaPanelElementViews {
    static QWidget *make(const QuotaPanelElement &element, QuotaStore &store,
                         SystemMetricsStore &metricsStore);
    // Hands the view state a user gave a card (an open notice list, an expanded reference) to the
    // card built to replace it for new inputs; views without such state are left alone.
    static void carryViewState(const QWidget &from, QWidget &to);
};

} // namespace pulsegrove
