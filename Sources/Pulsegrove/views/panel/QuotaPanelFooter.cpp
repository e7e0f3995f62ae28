#include "views/panel/QuotaPanelFooter.h"

#include "stores/QuotaStore.h"
#include "views/primitives/PanelMenu.h"
#include "views/primitives/ThemedButton.h"
#include "views/primitives/ViewFonts.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QMenu>
#include <QVBoxLayout>

namespace pulsegrove {

namespace {

using Model = QuotaPanelFooterModel;

ThemedButton *makeBorderedButton(const QString &title, const QString &symbol)
{
    auto *button =
        new ThemedButton(title, symbol, ThemedButton::Kind::bordered, ThemedButton::ControlSize::regular);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    return button;
}

ThemedButton *makePlainButton(const QString &title, const QString &symbol)
{
    auto *button =
        new ThemedButton(title, symbol, ThemedButton::Kind::plain, ThemedButton::ControlSize::regular);
    button->setFont(ViewFonts::systemFont(10.5, QFont::Medium));
    return button;
}

void callIfSet(const std::function<void()> &handler)
{
    if (handler)
        handler();
}

} // namespace

QuotaPanelFooter::QuotaPanelFooter(QuotaStore &store, QWidget *parent) : QWidget(parent), m_store(store)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(Model::horizontalPadding, Model::verticalPadding, Model::horizontalPadding,
                               Model::verticalPadding);
    layout->setSpacing(Model::rowSpacing);

    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(Model::buttonSpacing);
    auto *dashboard = makeBorderedButton(Model::dashboardTitle(), Model::dashboardSymbol());
    auto *settings = makeBorderedButton(Model::settingsTitle(), Model::settingsSymbol());
    buttons->addWidget(dashboard, 1);
    buttons->addWidget(settings, 1);
    layout->addLayout(buttons);

    auto *actions = new QHBoxLayout;
    m_refresh = makePlainButton(Model::refreshTitle(false), Model::refreshSymbol());
    auto *more = makePlainButton(Model::moreTitle(), Model::moreSymbol());
    actions->addWidget(m_refresh);
    actions->addStretch(1);
    actions->addWidget(more);
    layout->addLayout(actions);

    m_menu = new PanelMenu(this);
    more->setMenu(m_menu);
    connect(m_menu, &QMenu::aboutToShow, this, &QuotaPanelFooter::rebuildMoreMenu);

    // The handlers are read when pressed: the host may set them after the panel was made.
    connect(dashboard, &QPushButton::clicked, this,
            [this] { callIfSet(m_store.usageAnalyticsRequestHandler); });
    connect(settings, &QPushButton::clicked, this,
            [this] { callIfSet(m_store.moduleSettingsRequestHandler); });
    // The store ignores a refresh while one runs, so the returned future needs no keeping.
    connect(m_refresh, &QPushButton::clicked, this, [this] { m_store.refresh(true); });
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    apply(m_store.isRefreshing());
}

void QuotaPanelFooter::apply(bool isRefreshing)
{
    m_refresh->setText(Model::refreshTitle(isRefreshing));
    m_refresh->setAccessibleName(m_refresh->text());
    m_refresh->setEnabled(Model::isRefreshEnabled(isRefreshing));
    m_refresh->updateGeometry();
}

void QuotaPanelFooter::rebuildMoreMenu()
{
    m_menu->clear();
    const Model::MenuState state{m_store.launchAtLogin(), m_store.canManageLaunchAtLogin(),
                                 m_store.launchAtLoginNeedsApproval()};
    for (const Model::MenuEntry &entry : Model::moreMenuEntries(state)) {
        if (entry.kind == Model::MenuEntry::Kind::divider) {
            m_menu->addSeparator();
            continue;
        }
        QAction *action = m_menu->addAction(entry.title);
        action->setEnabled(entry.isEnabled);
        action->setCheckable(entry.kind == Model::MenuEntry::Kind::toggle);
        action->setChecked(entry.isChecked);
        connect(action, &QAction::triggered, this,
                [this, kind = entry.action](bool checked) { perform(m_store, kind, checked); });
    }
}

void QuotaPanelFooter::perform(QuotaStore &store, QuotaPanelFooterModel::MenuAction action, bool checked)
{
    switch (action) {
    case Model::MenuAction::switchToSystemMenu:
        store.setPanelStyle(QuotaPanelStyle::system, true);
        break;
    case Model::MenuAction::toggleLaunchAtLogin:
        store.setLaunchAtLogin(checked);
        break;
    case Model::MenuAction::openLoginItemsSettings:
        store.openLoginItemsSettings();
        break;
    case Model::MenuAction::quit:
        // Queued, so the menu closes before the application's termination steps run.
        QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                                  Qt::QueuedConnection);
        break;
    }
}

} // namespace pulsegrove
