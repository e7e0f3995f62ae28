#include "settings/ModuleSettingsWindowController.h"

#include "settings/ModuleSettingsView.h"
#include "stores/QuotaStore.h"
#include "views/primitives/CloseShortcuts.h"
#include "views/primitives/DarkPalette.h"
#include "views/primitives/WindowPlacement.h"

#include <QEvent>
#include <QVBoxLayout>
#include <QWidget>

namespace pulsegrove {

ModuleSettingsWindowController::ModuleSettingsWindowController(QuotaStore &store, QObject *parent)
    : QObject(parent), m_store(store), m_window(std::make_unique<QWidget>(nullptr, Qt::Window))
{
    m_window->setObjectName(identifier());
    m_window->setWindowTitle(title());
    DarkPalette::apply(m_window.get());
    m_window->setMinimumSize(minimumContentWidth, minimumContentHeight);
    CloseShortcuts::install(*m_window);
    auto *layout = new QVBoxLayout(m_window.get());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    // Placed once; afterwards the window keeps wherever the user puts it.
    WindowPlacement::placeOnPrimaryScreen(*m_window, QSize(contentWidth, contentHeight),
                                          QSize(minimumContentWidth, minimumContentHeight));
    m_window->installEventFilter(this);
}

ModuleSettingsWindowController::~ModuleSettingsWindowController()
{
    m_window->removeEventFilter(this);
    // The content goes with the window, before the update store it refers to.
    delete m_content.data();
}

void ModuleSettingsWindowController::present()
{
    m_store.refreshLaunchAtLoginState();
    if (!m_content) {
        m_content = new ModuleSettingsView(m_store, m_updateStore);
        m_window->layout()->addWidget(m_content);
    }
    m_window->setWindowState((m_window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void ModuleSettingsWindowController::hideAndDropContent()
{
    m_window->hide();
    dropContent();
}

bool ModuleSettingsWindowController::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window.get() && event->type() == QEvent::Close)
        dropContent();
    return QObject::eventFilter(watched, event);
}

void ModuleSettingsWindowController::dropContent()
{
    if (!m_content)
        return;
    ModuleSettingsView *content = m_content;
    m_content = nullptr;
    // The close may come from the view's own button: it goes once that call has returned.
    m_window->layout()->removeWidget(content);
    content->hide();
    content->deleteLater();
}

} // namespace pulsegrove
