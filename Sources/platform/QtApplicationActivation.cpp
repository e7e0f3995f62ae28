#include "QtApplicationActivation.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>

namespace pulsegrove {

namespace {

// The type a window had before we turned it into a tool, so only those are turned back.
constexpr const char *typeBeforeUsProperty = "_pulsegrove_typeBeforeAccessory";

QWidget *frontWindow()
{
    if (QWidget *active = QApplication::activeWindow())
        return active;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        const auto type = widget->windowType();
        if (widget->isVisible() && (type == Qt::Window || type == Qt::Dialog))
            return widget;
    }
    return nullptr;
}

} // namespace

QtApplicationActivation::QtApplicationActivation(QObject *parent) : QObject(parent)
{
    if (qApp)
        qApp->installEventFilter(this);
}

QtApplicationActivation::~QtApplicationActivation()
{
    if (qApp)
        qApp->removeEventFilter(this);
}

bool QtApplicationActivation::setActivationPolicy(ActivationPolicy policy)
{
    // The application object may have come after this one; installing twice is harmless.
    if (qApp)
        qApp->installEventFilter(this);
    m_policy = policy;
    for (QWidget *window : QApplication::topLevelWidgets())
        apply(window);
    return true;
}

void QtApplicationActivation::activate(bool ignoringOtherApps)
{
    // Desktops decide on their own whether a raise may steal focus; the request is the same.
    Q_UNUSED(ignoringOtherApps);
    if (QWidget *window = frontWindow()) {
        window->raise();
        window->activateWindow();
    }
}

Qt::WindowFlags QtApplicationActivation::flagsFor(Qt::WindowFlags current,
                                                  std::optional<Qt::WindowType> typeBeforeUs,
                                                  ActivationPolicy policy)
{
    const auto type = current & Qt::WindowType_Mask;
    const bool ordinary = type == Qt::Window || type == Qt::Dialog;
    if (policy == ActivationPolicy::accessory && ordinary && !typeBeforeUs)
        return (current & ~Qt::WindowType_Mask) | Qt::Tool;
    if (policy == ActivationPolicy::regular && typeBeforeUs && type == Qt::Tool)
        return (current & ~Qt::WindowType_Mask) | *typeBeforeUs;
    return current;
}

bool QtApplicationActivation::eventFilter(QObject *watched, QEvent *event)
{
    // Qt sends Show before it maps the native window, so the mark is in place when the desktop
    // first sees the window.
    if (event->type() == QEvent::Show && watched->isWidgetType()) {
        auto *widget = static_cast<QWidget *>(watched);
        if (widget->isWindow())
            apply(widget);
    }
    return QObject::eventFilter(watched, event);
}

void QtApplicationActivation::apply(QWidget *window) const
{
    const QVariant stored = window->property(typeBeforeUsProperty);
    std::optional<Qt::WindowType> typeBeforeUs;
    if (stored.isValid())
        typeBeforeUs = static_cast<Qt::WindowType>(stored.toInt());
    const auto flags = flagsFor(window->windowFlags(), typeBeforeUs, m_policy);
    if (flags == window->windowFlags())
        return;
    window->setProperty(typeBeforeUsProperty,
                        typeBeforeUs ? QVariant() : QVariant(int(window->windowType())));
    // overrideWindowFlags avoids setWindowFlags' destroy-and-hide of the native window.
    window->overrideWindowFlags(flags);
    if (QWindow *handle = window->windowHandle())
        handle->setFlags(flags);
}

} // namespace pulsegrove
