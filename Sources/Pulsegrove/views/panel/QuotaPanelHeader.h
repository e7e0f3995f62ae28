#pragma once

#include "quota/QuotaSnapshot.h"

#include <QWidget>
#include <optional>

class QLabel;
class QVBoxLayout;

namespace pulsegrove {

class PlanBadge;
class StatusDot;

// The top of the panel: the application's mark and name, the subtitle of known windows, the plan
// badge and the live or cached marker. Its padding is part of it, so its height is the section's.
class QuotaPanelHeader : public QWidget {
    Q_OBJECT

public:
    explicit QuotaPanelHeader(QWidget *parent = nullptr);

    // Shows the state of the store's quota.
    void apply(const std::optional<QuotaSnapshot> &snapshot, bool isStale);

    QString freshnessText() const;

private:
    QLabel *m_subtitle;
    QLabel *m_freshness;
    StatusDot *m_dot;
    QVBoxLayout *m_trailing;
    PlanBadge *m_badge = nullptr;
};

} // namespace pulsegrove
