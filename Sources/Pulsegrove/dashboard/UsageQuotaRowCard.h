#pragma once

#include "analytics/UsageQuotaSnapshot.h"
#include "views/primitives/CardFrame.h"

namespace pulsegrove {

// One quota row of the dashboard page: its label and window, the remaining share as a large
// percentage over an energy bar, the used share, the reset and fetch times and the stale mark.
class UsageQuotaRowCard : public CardFrame {
    Q_OBJECT

public:
    explicit UsageQuotaRowCard(const UsageQuotaSnapshot &row, QWidget *parent = nullptr);

    const UsageQuotaSnapshot &row() const { return m_row; }

private:
    UsageQuotaSnapshot m_row;
};

} // namespace pulsegrove
