#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

class QPushButton;

namespace pulsegrove {

// The small windows of the developer previews: each shows one surface on its own, in the dark
// palette of the application's own windows. A preview window is not resizable (its content
// decides its size, shrunk only where the screen is smaller), is kept when closed, and closing it
// (with its button, Escape or Ctrl+W) ends nothing.
struct DeveloperPreviewWindows {
    DeveloperPreviewWindows() = delete;

    static constexpr const char *settingsSuiteName = "io.velorn.Pulsegrove.settings-preview";
    static constexpr int panelWidth = 360;

    static QString settingsTitle() { return QString::fromUtf8("Pulse Grove · 设置预览"); }
    static QString panelTitle() { return QString::fromUtf8("Pulse Grove · 信息面板预览"); }
    static QString systemMenuTitle() { return QString::fromUtf8("Pulse Grove · 系统菜单预览"); }
    static QString statusItemTitle() { return QString::fromUtf8("Pulse Grove · 托盘预览"); }

    // The panel preview's height: the main screen's visible height less 80, at least 480, or 670
    // without a screen; at most 770 either way.
    static int panelMaximumHeight(std::optional<int> mainScreenVisibleHeight);

    // A window of that title and content size, holding `content`, placed inside the primary
    // screen's available area (shrunk no further than `minimumSize`, by default the content
    // size); minimisable or not.
    static std::unique_ptr<QWidget> makeWindow(const QString &title, QSize contentSize, QWidget *content,
                                               bool miniaturizable, QSize minimumSize = {});
    // Shows the window, raises it and gives it the focus.
    static void present(QWidget &window);

    // The native menu's preview: a label and a button that opens the real menu (the action is
    // given the button; with no action the button does nothing).
    static QWidget *makeSystemMenuContent(std::function<void(QPushButton *button)> openMenu);
    // The status title's preview: the title as the tray draws its text, and a caption.
    static QWidget *makeStatusItemContent(const QString &title);
};

} // namespace pulsegrove
