#include "statusitem/StatusItem.h"

#include "statusitem/StatusItemIconRenderer.h"

#include <QCursor>

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
        m_icon->setContextMenu(menu);
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
    if (m_menu) {
        const QRect anchor = popupAnchor();
        m_menu->popup(QPoint(anchor.left(), anchor.bottom() + 1));
    } else if (m_action) {
        m_action();
    }
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
        m_icon->setContextMenu(m_contextMenu);
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
