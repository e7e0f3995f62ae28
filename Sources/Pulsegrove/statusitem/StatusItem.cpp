#include "statusitem/StatusItem.h"

#include "statusitem/PopoverGeometry.h"
#include "statusitem/StatusItemIconRenderer.h"

#include <QCursor>
#include <QEvent>

namespace pulsegrove {

StatusItem::StatusItem(TrayHost *host, std::shared_ptr<SystemLog> log, QObject *parent)
    : QObject(parent), m_host(host), m_logger(std::move(log), QStringLiteral("statusItem"))
{
    m_noTrayNotice.setSingleShot(true);
    m_noTrayNotice.setInterval(noTrayNoticeMilliseconds);
    connect(&m_noTrayNotice, &QTimer::timeout, this, &StatusItem::reportMissingTray);
    if (m_host)
        connect(m_host, &TrayHost::kindChanged, this, &StatusItem::followHost);
    followHost();
    if (!hasButton())
        m_noTrayNotice.start();
}

StatusItem::~StatusItem() = default;

void StatusItem::setTitle(const QString &title)
{
    m_title = title;
    applyIcon();
}

void StatusItem::setAlpha(qreal alpha)
{
    m_alpha = alpha;
    applyIcon();
}

void StatusItem::setToolTip(const QString &toolTip)
{
    m_toolTip = toolTip;
    applyToolTip();
}

void StatusItem::setContextMenu(QMenu *menu)
{
    m_contextMenu = menu;
    if (m_icon)
        m_icon->setContextMenu(menuForIcon());
}

QRect StatusItem::buttonGeometry() const
{
    return m_icon ? m_icon->geometry() : QRect();
}

PopupPlacement StatusItem::popupPlacement() const
{
    return m_host ? m_host->popupPlacement() : PopupPlacement::anchored;
}

QRect StatusItem::popupAnchor() const
{
    const QRect geometry = buttonGeometry();
    return geometry.isValid() && !geometry.isEmpty() ? geometry : QRect(QCursor::pos(), QSize(1, 1));
}

void StatusItem::performClick()
{
    if (m_menu)
        openMenu(m_menu);
    else if (m_action)
        m_action();
}

bool StatusItem::opensContextMenu() const
{
    return m_host && m_host->kind() == TrayHostKind::xembed;
}

void StatusItem::openMenu(QMenu *menu)
{
    if (m_openMenu)
        m_openMenu->removeEventFilter(this);
    m_openMenu = menu;
    m_openMenuAnchor = popupAnchor();
    menu->popup(PopoverGeometry::frameOnScreen(menu->sizeHint(), m_openMenuAnchor).topLeft());
    // The menu fills its rows as it opens and again as data arrive, so its size changes: each
    // new size is placed anew, where it fits beside the button.
    placeOpenMenu();
    menu->installEventFilter(this);
}

void StatusItem::placeOpenMenu()
{
    const QPoint place = PopoverGeometry::frameOnScreen(m_openMenu->size(), m_openMenuAnchor).topLeft();
    if (m_openMenu->isVisible() && m_openMenu->pos() != place)
        m_openMenu->move(place);
}

bool StatusItem::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_openMenu && event->type() == QEvent::Resize) {
        placeOpenMenu();
    } else if (watched == m_openMenu && event->type() == QEvent::Hide) {
        // Opened elsewhere next time (a preview's button), it is not ours to place.
        m_openMenu->removeEventFilter(this);
        m_openMenu.clear();
    }
    return QObject::eventFilter(watched, event);
}

void StatusItem::followHost()
{
    const bool hadButton = hasButton();
    // A new host, or the same kind of host started again, needs an icon of its own: the old
    // one was registered with, or docked into, a host that is gone.
    m_icon.reset();
    m_appliedIcon.reset();
    m_appliedToolTip.reset();
    if (m_host && m_host->kind() != TrayHostKind::none) {
        m_icon = m_host->createIcon();
        connect(m_icon.get(), &TrayIcon::clicked, this, &StatusItem::performClick);
        connect(m_icon.get(), &TrayIcon::contextClicked, this, [this] {
            if (opensContextMenu() && m_contextMenu)
                openMenu(m_contextMenu);
        });
        m_icon->setContextMenu(menuForIcon());
        applyIcon();
        applyToolTip();
        m_icon->setVisible(true);
        m_noTrayNotice.stop();
    }
    if (hadButton || hasButton())
        Q_EMIT buttonChanged();
}

void StatusItem::applyIcon()
{
    if (!m_icon)
        return;
    const std::pair<QString, qreal> drawn{m_title, m_alpha};
    if (m_appliedIcon == drawn)
        return;
    m_appliedIcon = drawn;
    m_icon->setIcon(StatusItemIconRenderer::icon(m_title, m_alpha));
}

void StatusItem::applyToolTip()
{
    if (!m_icon || m_appliedToolTip == m_toolTip)
        return;
    m_appliedToolTip = m_toolTip;
    m_icon->setToolTip(m_toolTip);
}

void StatusItem::reportMissingTray()
{
    if (hasButton() || m_reportedMissingTray)
        return;
    m_reportedMissingTray = true;
    m_logger.info(
        QStringLiteral("No system tray was found; the status item appears once a tray host starts"));
}

} // namespace pulsegrove
