#include "statusitem/StatusPopover.h"

#include "statusitem/PopoverGeometry.h"

#include <QKeyEvent>
#include <QVBoxLayout>

namespace pulsegrove {

namespace {

Qt::WindowFlags popoverWindowFlags(PopupPlacement placement)
{
    return (placement == PopupPlacement::anchored ? Qt::Popup : Qt::Dialog) | Qt::FramelessWindowHint;
}

} // namespace

StatusPopover::StatusPopover(PopupPlacement placement, QWidget *parent)
    : QWidget(parent, popoverWindowFlags(placement)), m_placement(placement)
{
    setWindowTitle(QString::fromLatin1(windowTitle));
    setObjectName(QStringLiteral("io.velorn.Pulsegrove.popover"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    resize(qRound(PopoverGeometry::width), qRound(PopoverGeometry::maximumHeight));
}

StatusPopover::~StatusPopover() = default;

void StatusPopover::setContent(QWidget *content)
{
    if (m_content == content)
        return;
    if (m_content) {
        m_content->hide();
        m_content->setParent(nullptr);
        m_content->deleteLater();
    }
    m_content = content;
    if (m_content)
        layout()->addWidget(m_content);
}

void StatusPopover::setContentSize(const QSize &newSize)
{
    if (newSize == size())
        return;
    // The layout must not hold the window at its content's own size hint.
    setFixedSize(newSize);
    if (isVisible())
        place();
}

void StatusPopover::showAt(const QRect &anchor)
{
    m_anchor = anchor;
    place();
    show();
    if (m_placement == PopupPlacement::compositor) {
        raise();
        activateWindow();
    }
}

void StatusPopover::performClose()
{
    if (isVisible())
        close();
}

void StatusPopover::place()
{
    if (m_placement == PopupPlacement::compositor)
        return;
    move(PopoverGeometry::frameOnScreen(size(), m_anchor).topLeft());
}

void StatusPopover::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Cancel)) {
        event->accept();
        performClose();
        return;
    }
    QWidget::keyPressEvent(event);
}

void StatusPopover::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    if (!event->spontaneous())
        Q_EMIT didClose();
}

} // namespace pulsegrove
