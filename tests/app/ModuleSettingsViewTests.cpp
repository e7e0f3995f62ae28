#include "SettingsTestFixture.h"
#include "ViewRendering.h"
#include "preferences/PulsegrovePreferenceKeys.h"
#include "settings/ModuleSettingsModel.h"
#include "settings/ModuleSettingsView.h"
#include "settings/ModuleSettingsWindowController.h"
#include "settings/ThemePickerModel.h"
#include "settings/ThemeSwatchButton.h"
#include "theme/QuotaTheme.h"
#include "views/primitives/CapsuleTag.h"
#include "views/primitives/DarkPalette.h"
#include "views/primitives/Divider.h"
#include "views/primitives/SymbolCatalog.h"
#include "views/primitives/SymbolLabel.h"
#include "views/primitives/ThemedButton.h"
#include "views/primitives/ToggleSwitch.h"
#include "views/primitives/WrappingText.h"

#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

namespace pulsegrove::testing {
namespace {

using State = RemoteUpdateState;

class ModuleSettingsViewTest : public SettingsTest {
protected:
    std::vector<bool> moduleSwitchStates(const ModuleSettingsView &view) const
    {
        std::vector<bool> states;
        for (const QuotaModule module : QuotaModules::allCases)
            states.push_back(view.moduleSwitch(module)->isChecked());
        return states;
    }
};

// Each module switch shows its module's visibility; the counter and "全部显示" follow the count,
// and "全部显示" brings every module back.
TEST_F(ModuleSettingsViewTest, ModuleSwitchesCounterAndShowAllFollowTheStore)
{
    ModuleSettingsView view(*m_store, m_updateStore);
    EXPECT_EQ(moduleSwitchStates(view), std::vector<bool>(6, true));
    EXPECT_EQ(view.counter()->text(), QStringLiteral("6 / 6 已显示"));
    EXPECT_FALSE(view.showAllButton()->isEnabled());

    QTest::mouseClick(view.moduleSwitch(QuotaModule::resetCredits), Qt::LeftButton);
    EXPECT_EQ(m_defaults->stringListValue(PulsegrovePreferenceKeys::hiddenModules),
              std::vector<std::string>{"resetCredits"});
    EXPECT_EQ(moduleSwitchStates(view), (std::vector<bool>{true, true, false, true, true, true}));
    EXPECT_EQ(view.counter()->text(), QStringLiteral("5 / 6 已显示"));
    EXPECT_TRUE(view.showAllButton()->isEnabled());
    QTest::mouseClick(view.showAllButton(), Qt::LeftButton);
    EXPECT_EQ(m_store->visibleModules(), QuotaModules::allModules());
    EXPECT_FALSE(view.showAllButton()->isEnabled());

    // A change made elsewhere shows too; with every module hidden all six rows stay, all off.
    for (const QuotaModule module : QuotaModules::allCases)
        m_store->setModuleVisible(module, false);
    EXPECT_EQ(moduleSwitchStates(view), std::vector<bool>(6, false));
    EXPECT_EQ(view.counter()->text(), QStringLiteral("0 / 6 已显示"));
    EXPECT_EQ(view.moduleSwitch(QuotaModule::resetHints)->accessibleName(), QStringLiteral("重置临近提示"));
}

// Every symbol the settings draw has a picture.
TEST(ModuleSettingsModelTests, EverySymbolOfTheSettingsIsInTheCatalog)
{
    QStringList symbols{ModuleSettingsModel::headerSymbol(), ModuleSettingsModel::updateSymbol(),
                        ModuleSettingsModel::dockSymbol(),   ModuleSettingsModel::footerSymbol(),
                        ThemePickerModel::symbol(),          ThemePickerModel::checkmarkSymbol()};
    for (const QuotaModule module : QuotaModules::allCases)
        symbols.append(ModuleSettingsModel::row(module).symbol);
    for (const QString &symbol : symbols)
        EXPECT_TRUE(SymbolCatalog::symbolNames().contains(symbol)) << symbol.toStdString();
}

// The taskbar switch shows and stores its preference and changes the activation policy.
TEST_F(ModuleSettingsViewTest, TheDockSwitchStoresItsPreference)
{
    ModuleSettingsView view(*m_store, m_updateStore);
    EXPECT_TRUE(view.dockSwitch()->isChecked());
    QTest::mouseClick(view.dockSwitch(), Qt::LeftButton);
    EXPECT_EQ(m_defaults->boolValue(PulsegrovePreferenceKeys::showDockIcon), false);
    EXPECT_EQ(m_activation->policyChanges, std::vector<ActivationPolicy>{ActivationPolicy::accessory});
    ASSERT_TRUE(m_store->automaticallyChecksForUpdates());
    EXPECT_FALSE(view.dockSwitch()->isChecked());
    m_store->setAutomaticallyChecksForUpdates(false);
    m_store->setShowDockIcon(true);
    EXPECT_TRUE(view.dockSwitch()->isChecked());
}

// The automatic-check switch stores its preference; switching it on starts a check only while
// nothing was checked yet, switching it off checks nothing.
TEST_F(ModuleSettingsViewTest, TheAutomaticCheckSwitchChecksOnlyWhenTurnedOnWhileIdle)
{
    struct Row {
        const char *name;
        bool startsOn;
        std::optional<State> reached;
        std::size_t checksAfter;
    };
    const Row rows[] = {
        {"off while idle", true, std::nullopt, 0},
        {"on while idle", false, std::nullopt, 1},
        {"on after a check", false, State::current(), 1},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        FakeRemoteUpdateOperations updates;
        RemoteUpdateStore updateStore(updates.operations());
        if (row.reached) {
            updateStore.check();
            updates.checks.back().finish({*row.reached, std::nullopt});
            QCoreApplication::processEvents();
        }
        m_store->setAutomaticallyChecksForUpdates(row.startsOn);
        ModuleSettingsView view(*m_store, updateStore);
        EXPECT_EQ(view.automaticCheckSwitch()->isChecked(), row.startsOn);
        QTest::mouseClick(view.automaticCheckSwitch(), Qt::LeftButton);
        EXPECT_EQ(m_defaults->boolValue(PulsegrovePreferenceKeys::automaticallyChecksForUpdates),
                  !row.startsOn);
        EXPECT_EQ(updates.checks.size(), row.checksAfter);
    }
}

// Coming on screen checks at once with automatic checks on and an idle store; leaving the
// screen cancels that check back to idle.
TEST_F(ModuleSettingsViewTest, ShowingTheViewChecksOnceAndHidingItCancels)
{
    for (const bool automatic : {false, true}) {
        SCOPED_TRACE(automatic);
        FakeRemoteUpdateOperations updates;
        RemoteUpdateStore updateStore(updates.operations());
        m_store->setAutomaticallyChecksForUpdates(automatic);
        ModuleSettingsView view(*m_store, updateStore);
        EXPECT_TRUE(updates.checks.empty()) << "nothing before the view is shown";
        view.show();
        view.hide();
        QCoreApplication::processEvents();
        view.show();
        EXPECT_EQ(updates.checks.size(), automatic ? 2u : 0u);
        EXPECT_EQ(updateStore.state(), automatic ? State::checking() : State::idle());
        view.hide();
        QCoreApplication::processEvents();
        EXPECT_EQ(updateStore.state(), State::idle());
    }
}

// The update card's line and button follow the store; the button waits while work runs and
// runs the store's action otherwise.
TEST_F(ModuleSettingsViewTest, TheUpdateCardFollowsTheUpdateStore)
{
    ModuleSettingsView view(*m_store, m_updateStore);
    EXPECT_EQ(view.updateStatus()->text(), QStringLiteral("仅检查签名正式版，不会静默下载或执行文件"));
    EXPECT_EQ(view.updateButton()->text(), QStringLiteral("检查更新"));
    QTest::mouseClick(view.updateButton(), Qt::LeftButton);
    EXPECT_EQ(m_updates.checks.size(), 1u);
    EXPECT_EQ(view.updateStatus()->text(), QStringLiteral("正在核验 Relay 发布清单…"));
    EXPECT_EQ(view.updateButton()->text(), QStringLiteral("检查中"));
    EXPECT_FALSE(view.updateButton()->isEnabled());

    m_updates.checks[0].finish(
        {State::available(QStringLiteral("2.0"), false, RemoteUpdateDelivery::signedArtifact),
         RemoteUpdateCandidate{QStringLiteral("2.0"), {}}});
    QCoreApplication::processEvents();
    EXPECT_EQ(view.updateButton()->text(), QStringLiteral("安全下载"));
    QTest::mouseClick(view.updateButton(), Qt::LeftButton);
    EXPECT_EQ(m_updates.downloads.size(), 1u);
    EXPECT_FALSE(view.updateButton()->isEnabled());
}

// Exactly the store's theme is marked; picking another writes it, and the header, the footer
// and the mark move at once.
TEST_F(ModuleSettingsViewTest, ThePickerMarksTheStoresThemeAndWritesAPick)
{
    ModuleSettingsView view(*m_store, m_updateStore);
    auto checkedThemes = [&] {
        std::vector<QuotaThemeID> themes;
        for (const auto &[theme, option] : view.themeOptions()) {
            if (option->isChecked() && option->style().isSelected)
                themes.push_back(theme);
        }
        return themes;
    };
    EXPECT_EQ(checkedThemes(), std::vector<QuotaThemeID>{QuotaThemeID::aurora});

    // Whoever hears of the change finds the new palette already in force.
    std::vector<QuotaThemeID> paletteWhenAnnounced;
    QObject::connect(m_store.get(), &QuotaStore::themeChanged, &view,
                     [&] { paletteWhenAnnounced.push_back(QuotaTheme::selected()); });
    for (const QuotaThemeID theme : {QuotaThemeID::sunset, QuotaThemeID::sunset, QuotaThemeID::graphite}) {
        QTest::mouseClick(view.themeOptions().at(theme), Qt::LeftButton);
        EXPECT_EQ(checkedThemes(), std::vector<QuotaThemeID>{theme});
        EXPECT_EQ(view.themeName()->text(), QuotaThemeIDs::palette(theme).name);
        EXPECT_EQ(view.themeDetail()->text(), QuotaThemeIDs::palette(theme).detail);
        EXPECT_EQ(m_defaults->stringValue(PulsegrovePreferenceKeys::theme), QuotaThemeIDs::rawValue(theme));
        EXPECT_EQ(QuotaTheme::selected(), theme) << "every surface paints with the pick";
    }
    EXPECT_EQ(paletteWhenAnnounced,
              (std::vector<QuotaThemeID>{QuotaThemeID::sunset, QuotaThemeID::graphite}));
}

// One render per theme: the gradient's corners and the accent are the theme's, and nothing
// spills past the window.
TEST_F(ModuleSettingsViewTest, RendersInEveryTheme)
{
    for (const QuotaThemeID theme : QuotaThemeIDs::allCases) {
        SCOPED_TRACE(std::string(QuotaThemeIDs::rawValue(theme)));
        m_store->setTheme(theme);
        const QuotaThemePalette &palette = QuotaThemeIDs::palette(theme);
        ModuleSettingsView view(*m_store, m_updateStore);
        DarkPalette::apply(&view);
        view.resize(view.sizeHint());
        const QImage image =
            snapshot(view.grab().toImage().convertToFormat(QImage::Format_ARGB32),
                     QStringLiteral("settings-") + QString::fromLatin1(QuotaThemeIDs::rawValue(theme).data()));
        EXPECT_EQ(image.size(), QSize(440, 610));
        EXPECT_TRUE(isNear(image.pixelColor(1, 1), palette.panelTop, 6));
        EXPECT_TRUE(isNear(image.pixelColor(image.width() - 2, image.height() - 2), palette.panelBottom, 6));
        EXPECT_GT(countPixelsNear(image, palette.accent, 20), 200);
    }
}

// At the window's minimum size the long update sentence wraps; scrolled to the end, the last
// cards are whole, and the five swatches keep one row.
TEST_F(ModuleSettingsViewTest, TheNarrowestWindowScrollsToTheLastCard)
{
    finishCheckWith(State::unavailable(RemoteUpdateOperations::unavailableMessage()));
    ModuleSettingsView view(*m_store, m_updateStore);
    DarkPalette::apply(&view);
    view.resize(420, 560);
    view.show();
    QCoreApplication::processEvents();
    snapshot(view.grab().toImage(), QStringLiteral("settings-narrow-unavailable"));
    const QRect status(view.updateStatus()->mapTo(&view, QPoint()), view.updateStatus()->size());
    EXPECT_GE(status.height(), 2 * QFontMetrics(view.updateStatus()->font()).height() - 2)
        << "wraps, never cut";
    auto *bar = view.findChild<QScrollArea *>()->verticalScrollBar();
    bar->setValue(bar->maximum());
    const QImage image = snapshot(view.grab().toImage(), QStringLiteral("settings-narrow-scrolled"));
    EXPECT_EQ(image.size(), QSize(420, 560));
    QRect swatches;
    for (const auto &[theme, option] : view.themeOptions())
        swatches |= QRect(option->mapTo(&view, QPoint()), option->size());
    EXPECT_EQ(swatches.height(), view.themeOptions().at(QuotaThemeID::aurora)->height()) << "one row";
    const QRect dock(view.dockSwitch()->mapTo(&view, QPoint()), view.dockSwitch()->size());
    EXPECT_TRUE(view.rect().contains(dock));
    EXPECT_LT(dock.right(), 420 - 22);
}

} // namespace
} // namespace pulsegrove::testing
