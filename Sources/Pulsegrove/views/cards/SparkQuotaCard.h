#pragma once

#include "quota/RateLimitSnapshot.h"
#include "views/primitives/CardFrame.h"

namespace pulsegrove {

class CompactQuotaMeter;

// The separate quota of the Spark model: its name, the "独立额度" mark and a compact meter for
// each of its recognised windows, side by side with a rule between two.
class SparkQuotaCard : public CardFrame {
    Q_OBJECT

public:
    explicit SparkQuotaCard(const RateLimitSnapshot &snapshot, QWidget *parent = nullptr);

    QList<CompactQuotaMeter *> meters() const;
};

} // namespace pulsegrove
