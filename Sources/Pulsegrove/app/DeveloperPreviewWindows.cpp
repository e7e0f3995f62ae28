#include "app/DeveloperPreviewWindows.h"

#include "views/primitives/CloseShortcuts.h"
#include "views/primitives/DarkPalette.h"
#include "views/primitives/ViewFonts.h"
#include "views/primitives/WindowPlacement.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace pulsegrove {

namespace {

QVBoxLayout *centredStack(QWidget *content, const QMargins &insets)
{
    auto *layout = new QVBoxLayout(content);
    layout->setSpacing(12);
    layout->setContentsMargins(insets);
    layout->setAlignment(Qt::AlignCenter);
    return layout;
}

QLabel *centredLabel(const QString &text, const QFont &font)
{
    auto *label = new QLabel(text);
    label->setTextFormat(Qt::PlainText);
    label->setFont(font);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

} // namespace

int DeveloperPreviewWindows::panelMaximumHeight(std::optional<int> mainScreenVisibleHeight)
{
    const int height = mainScreenVisibleHeight ? std::max(*mainScreenVisibleHeight - 80, 480) : 670;
    return std::min(height, 770);
}

std::unique_ptr<QWidget> DeveloperPreviewWindows::makeWindow(const QString &title, QSize contentSize,
                                                             QWidget *content, bool miniaturizable,
                                                             QSize minimumSize)
{
    Qt::WindowFlags flags =
        Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
    if (miniaturizable)
        flags |= Qt::WindowMinimizeButtonHint;
    auto window = std::make_unique<QWidget>(nullptr, flags);
    window->setWindowTitle(title);
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    DarkPalette::apply(window.get());
    CloseShortcuts::install(*window);
    auto *layout = new QVBoxLayout(window.get());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(content);
    window->setFixedSize(contentSize);
    WindowPlacement::placeOnPrimaryScreen(*window, contentSize,
                                          minimumSize.isEmpty() ? contentSize : minimumSize);
    return window;
}

void DeveloperPreviewWindows::present(QWidget &window)
{
    window.show();
    window.raise();
    window.activateWindow();
}

QWidget *DeveloperPreviewWindows::makeSystemMenuContent(std::function<void(QPushButton *button)> openMenu)
{
    auto *content = new QWidget;
    auto *layout = centredStack(content, QMargins(20, 16, 20, 16));
    layout->addWidget(
        centredLabel(QString::fromUtf8("实际原生菜单预览"), ViewFonts::systemFont(13, QFont::Medium)));
    auto *button = new QPushButton(QString::fromUtf8("打开系统菜单"));
    button->setMinimumHeight(32);
    if (openMenu)
        QObject::connect(button, &QPushButton::clicked, button, [button, openMenu] { openMenu(button); });
    layout->addWidget(button, 0, Qt::AlignHCenter);
    return content;
}

QWidget *DeveloperPreviewWindows::makeStatusItemContent(const QString &title)
{
    auto *content = new QWidget;
    auto *layout = centredStack(content, QMargins(24, 18, 24, 18));
    layout->addWidget(centredLabel(title, QApplication::font("QMenuBar")));
    auto *caption = centredLabel(QString::fromUtf8("系统托盘原生文字预览 · 1×"), QApplication::font());
    // By role, so it takes the window's palette once the caption is in it.
    caption->setForegroundRole(QPalette::PlaceholderText);
    layout->addWidget(caption);
    return content;
}

} // namespace pulsegrove
