#pragma once

#include "views/StateMessageCard.h"

#include <optional>

namespace pulsegrove {

// Shown when there is no quota and no refresh runs: the store's error message, or a fixed hint
// when there is none.
class EmptyStateView : public StateMessageCard {
    Q_OBJECT

public:
    explicit EmptyStateView(const std::optional<QString> &message, QWidget *parent = nullptr);
};

} // namespace pulsegrove
