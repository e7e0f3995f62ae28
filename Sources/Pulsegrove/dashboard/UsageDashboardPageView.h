#pragma once

#include "analytics/UsageQuotaSnapshot.h"

#include <QString>
#include <QWidget>
#include <string>
#include <vector>

class QGridLayout;
class QLabel;

namespace pulsegrove {

// The dashboard's page: a native view that takes the window controller's events as JSON
// payloads. The encoding is the contract between the window controller and the page, so the
// page decodes every payload itself.
class UsageDashboardPageView : public QWidget {
    Q_OBJECT

public:
    // A whole report: {"quotaSnapshots":[rows]}.
    static constexpr const char *reportEvent = "codex-usage-report";
    // Progress of a running load.
    static constexpr const char *scanEvent = "codex-usage-scan";
    // A failed load: {"message":"…"}.
    static constexpr const char *errorEvent = "codex-usage-error";
    // Fresh quota rows: [rows].
    static constexpr const char *snapshotsEvent = "pulse-grove-snapshots";

    explicit UsageDashboardPageView(QWidget *parent = nullptr);

    // Handles one event. An unknown event is ignored; a payload that cannot be read shows the
    // unreadable message and keeps the rows on screen. False in both cases, and once stopped.
    bool receive(const QString &event, const std::string &payload);
    // Drops the rows and ignores every later event, as a closed page does.
    void stop();

    const std::vector<UsageQuotaSnapshot> &rows() const { return m_rows; }
    QString statusText() const;
    bool isStopped() const { return m_stopped; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void showRows(std::vector<UsageQuotaSnapshot> rows);
    void setStatus(const QString &text);

    std::vector<UsageQuotaSnapshot> m_rows;
    QLabel *m_status = nullptr;
    QLabel *m_empty = nullptr;
    QGridLayout *m_grid = nullptr;
    bool m_stopped = false;
};

} // namespace pulsegrove
