#pragma once

#include "views/panel/QuotaPanelFooterModel.h"

#include <QWidget>

class QMenu;

namespace pulsegrove {

class QuotaStore;
class ThemedButton;

// The bottom of the panel: the usage-dashboard and settings buttons, the refresh button and the
// "更多" menu. Every action goes through the quota store; a request handler the host has not set
// makes its button do nothing.
class QuotaPanelFooter : public QWidget {
    Q_OBJECT

public:
    explicit QuotaPanelFooter(QuotaStore &store, QWidget *parent = nullptr);

    // Shows whether a refresh runs.
    void apply(bool isRefreshing);

    // The "更多" menu, rebuilt from the store each time it is about to open.
    QMenu *moreMenu() const { return m_menu; }
    void rebuildMoreMenu();

    // Runs one entry of the "更多" menu; `checked` is the toggle's new state.
    static void perform(QuotaStore &store, QuotaPanelFooterModel::MenuAction action, bool checked);

private:
    QuotaStore &m_store;
    ThemedButton *m_refresh;
    QMenu *m_menu;
};

} // namespace pulsegrove
