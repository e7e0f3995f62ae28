#pragma once

#include "preferences/QuotaModule.h"
#include "theme/QuotaThemeID.h"

#include <QWidget>
#include <functional>
#include <map>
#include <optional>
#include <stop_token>

class QAbstractButton;
class QLabel;

namespace pulsegrove {

class CapsuleTag;
class QuotaStore;
class RemoteUpdateStore;
class SymbolLabel;
class ThemeSwatchButton;
class ThemedButton;
class ToggleSwitch;
class WrappingText;

// The content of the settings window: the theme, the update check, the modules the panel and
// the menu show, and the taskbar entry. It stores nothing itself: every change goes through a
// quota store setter, and the update card reads and drives an update store. It follows both
// stores as they change, and draws in the selected theme's colours at every repaint.
class ModuleSettingsView : public QWidget {
    Q_OBJECT

public:
    ModuleSettingsView(QuotaStore &store, RemoteUpdateStore &updateStore, QWidget *parent = nullptr);
    ~ModuleSettingsView() override;

    // Called by "完成" when no settings window is open to close; by default it closes the
    // window this view is in.
    std::function<void()> dismiss;

    // Closes the first visible settings window of the application, else calls dismiss.
    void closeSettingsWindow();

    QWidget *themeCard();
    ThemeSwatchButton *themeOption(QuotaThemeID theme);

    QSize sizeHint() const override;

    // The controls, for tests and assistive checks.
    CapsuleTag *counter() const { return m_counter; }
    SymbolLabel *themeName() const { return m_themeName; }
    WrappingText *themeDetail() const { return m_themeDetail; }
    const std::map<QuotaThemeID, ThemeSwatchButton *> &themeOptions() const { return m_themeOptions; }
    WrappingText *updateStatus() const { return m_updateStatus; }
    ThemedButton *updateButton() const { return m_updateButton; }
    ToggleSwitch *automaticCheckSwitch() const { return m_automaticCheckSwitch; }
    ToggleSwitch *moduleSwitch(QuotaModule module) const { return m_moduleSwitches.at(module); }
    ToggleSwitch *dockSwitch() const { return m_dockSwitch; }
    ThemedButton *showAllButton() const { return m_showAllButton; }
    ThemedButton *doneButton() const { return m_doneButton; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    QWidget *header();
    QWidget *scrollArea();
    QWidget *updateCard();
    QWidget *moduleCard();
    QWidget *moduleRow(QuotaModule module);
    QWidget *dockCard();
    QWidget *footer();

    // Brings every control in line with the stores.
    void refresh();
    void refreshUpdateCard();
    void selectTheme(QuotaThemeID theme);
    void startUpdateCheck(std::stop_token cancellation = {});
    void startPrimaryUpdateAction();

    QuotaStore &m_store;
    RemoteUpdateStore &m_updateStore;
    // The check the view starts when it comes on screen; stopped when it leaves.
    std::optional<std::stop_source> m_shownCheck;

    CapsuleTag *m_counter = nullptr;
    SymbolLabel *m_themeName = nullptr;
    WrappingText *m_themeDetail = nullptr;
    std::map<QuotaThemeID, ThemeSwatchButton *> m_themeOptions;
    WrappingText *m_updateStatus = nullptr;
    ThemedButton *m_updateButton = nullptr;
    ToggleSwitch *m_automaticCheckSwitch = nullptr;
    std::map<QuotaModule, ToggleSwitch *> m_moduleSwitches;
    ToggleSwitch *m_dockSwitch = nullptr;
    ThemedButton *m_showAllButton = nullptr;
    ThemedButton *m_doneButton = nullptr;
};

} // namespace pulsegrove
