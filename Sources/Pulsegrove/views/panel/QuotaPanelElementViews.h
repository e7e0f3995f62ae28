#pragma once

#include "views/panel/QuotaPanelContent.h"

class QWidget;

namespace pulsegrove {

class QuotaStore;
class SystemMetricsStore;

// Builds the view of one content element of the panel.
struct QuotaPanelElementViews {
    // Null for an element whose card this build does not have.
    static QWidget *make(const QuotaPanelElement &element, QuotaStore &store,
                         SystemMetricsStore &metricsStore);
};

} // namespace pulsegrove
