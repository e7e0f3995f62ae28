#pragma once

#include "metrics/SystemMetricsSnapshot.h"
#include "views/primitives/CardFrame.h"

#include <QTimer>
#include <optional>

class QLabel;

namespace pulsegrove {

class StatusDot;
class SystemMetricsStore;
class SystemUsageMeter;

// The panel's system card: CPU temperature with its sensor and severity, CPU and memory meters
// and the thermal state of the metrics store's last sample, outlined in the temperature's colour.
// It follows the store by itself and changes nothing in it.
class SystemMetricsCard : public CardFrame {
    Q_OBJECT

public:
    explicit SystemMetricsCard(SystemMetricsStore &metricsStore, QWidget *parent = nullptr);

    // Shows the store's snapshot as it stands, staleness judged now.
    void refresh();

    // The shown texts, for tests and diagnostics.
    QString temperatureText() const;
    QString sensorText() const;
    QString statusMarkText() const;
    QString thermalStateText() const;
    SystemUsageMeter *cpuMeter() const { return m_cpuMeter; }
    SystemUsageMeter *memoryMeter() const { return m_memoryMeter; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    QWidget *makeTitleRow();
    QWidget *makeReadingRow();
    QWidget *makeSourceRow();
    void apply(const std::optional<SystemMetricsSnapshot> &snapshot, bool isStale);

    SystemMetricsStore &m_metricsStore;
    // Fires when the shown sample turns stale, so a stalled sampler shows as such by itself.
    QTimer m_staleTimer;
    StatusDot *m_statusDot = nullptr;
    QLabel *m_statusLabel = nullptr;
    QLabel *m_sensorLabel = nullptr;
    QLabel *m_temperatureLabel = nullptr;
    QLabel *m_severityLabel = nullptr;
    SystemUsageMeter *m_cpuMeter = nullptr;
    SystemUsageMeter *m_memoryMeter = nullptr;
    QLabel *m_thermalLabel = nullptr;
};

} // namespace pulsegrove
