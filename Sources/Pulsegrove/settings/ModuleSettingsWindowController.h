#pragma once

#include "update/RemoteUpdateStore.h"

#include <QObject>
#include <QPointer>
#include <memory>

class QWidget;

namespace pulsegrove {

class ModuleSettingsView;
class QuotaStore;

// Owns the stand-alone settings window. The window is made once and kept for the controller's
// life, so it keeps its place and size; its content, a ModuleSettingsView on the controller's own
// update store, is built when the window is presented without one and dropped whenever the
// window closes or is hidden, so every opening starts from a fresh view. It opens inside the
// screen's available area, and Escape and Ctrl+W close it. Main thread only.
class ModuleSettingsWindowController : public QObject {
    Q_OBJECT

public:
    static constexpr int contentWidth = 440;
    static constexpr int contentHeight = 610;
    static constexpr int minimumContentWidth = 420;
    static constexpr int minimumContentHeight = 560;
    static QString identifier() { return QStringLiteral("io.velorn.Pulsegrove.module-settings"); }
    static QString title() { return QStringLiteral("Pulse Grove · 界面与模块设置"); }

    explicit ModuleSettingsWindowController(QuotaStore &store, QObject *parent = nullptr);
    ~ModuleSettingsWindowController() override;

    // Re-reads the login item's state, builds the content when there is none, then shows the
    // window (restoring it when minimised), raises it and gives it the focus.
    void present();
    // Takes the window off screen and drops its content, without the window closing.
    void hideAndDropContent();

    QWidget *window() const { return m_window.get(); }
    ModuleSettingsView *contentView() const { return m_content.data(); }
    RemoteUpdateStore &updateStore() { return m_updateStore; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void dropContent();

    QuotaStore &m_store;
    RemoteUpdateStore m_updateStore;
    std::unique_ptr<QWidget> m_window;
    QPointer<ModuleSettingsView> m_content;
};

} // namespace pulsegrove
