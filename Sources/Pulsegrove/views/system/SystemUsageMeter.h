#pragma once

#include <QColor>
#include <QWidget>
#include <optional>

class QLabel;
class QVBoxLayout;

namespace pulsegrove {

// One labelled percentage meter of the system card: the name and the whole percentage on one
// baseline, a thin bar (an empty grey capsule while there is no value) and a small detail line.
class SystemUsageMeter : public QWidget {
    Q_OBJECT

public:
    static constexpr int spacing = 5;
    static constexpr qreal barHeight = 5;

    SystemUsageMeter(const QString &label, std::optional<double> percent, const QString &detail,
                     QWidget *parent = nullptr);

    // "--%" without a value, else the whole percentage.
    static QString valueText(std::optional<double> percent);

    std::optional<double> percent() const { return m_percent; }
    QString valueText() const;
    QString detail() const;
    // Shows another reading; the bar is rebuilt only when the whole percentage changes.
    void setReading(std::optional<double> percent, const QString &detail);

private:
    void showBar();

    QString m_label;
    std::optional<double> m_percent;
    std::optional<qint64> m_barPercent;
    QColor m_barTint;
    QVBoxLayout *m_layout;
    QLabel *m_valueLabel;
    QWidget *m_bar = nullptr;
    QLabel *m_detailLabel;
};

} // namespace pulsegrove
