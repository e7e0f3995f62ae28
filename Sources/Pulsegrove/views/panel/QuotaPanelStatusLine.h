#pragma once

#include "quota/QuotaSnapshot.h"

#include <QWidget>
#include <optional>

namespace pulsegrove {

class WrappingText;

// The last line of the content column: when the quota was read, or that the last refresh failed.
class QuotaPanelStatusLine : public QWidget {
    Q_OBJECT

public:
    QuotaPanelStatusLine(const QuotaSnapshot &snapshot, const std::optional<QString> &errorMessage,
                         bool isStale, QWidget *parent = nullptr);

    WrappingText *text() const { return m_text; }

private:
    WrappingText *m_text;
};

} // namespace pulsegrove
