#include "settings/ModuleSettingsView.h"

#include "settings/ModuleSettingsModel.h"
#include "settings/SettingsLayout.h"
#include "settings/ThemePickerModel.h"
#include "settings/ThemeSwatchButton.h"
#include "stores/QuotaStore.h"
#include "update/RemoteUpdateStore.h"
#include "views/primitives/CapsuleTag.h"
#include "views/primitives/CardFrame.h"
#include "views/primitives/DarkPalette.h"
#include "views/primitives/Divider.h"
#include "views/primitives/IconTile.h"
#include "views/primitives/SymbolLabel.h"
#include "views/primitives/ThemedButton.h"
#include "views/primitives/ToggleSwitch.h"
#include "views/primitives/ViewColors.h"
#include "views/primitives/ViewFonts.h"
#include "views/primitives/ViewLabels.h"
#include "views/primitives/WrappingText.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QShowEvent>

namespace pulsegrove {

namespace {

using Model = ModuleSettingsModel;

} // namespace

ModuleSettingsView::ModuleSettingsView(QuotaStore &store, RemoteUpdateStore &updateStore, QWidget *parent)
    : QWidget(parent), m_store(store), m_updateStore(updateStore)
{
    dismiss = [this] { window()->close(); };
    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);
    root->addWidget(header());
    root->addWidget(new Divider);
    root->addWidget(scrollArea(), 1);
    root->addWidget(new Divider);
    root->addWidget(footer());

    for (const auto signal :
         {&QuotaStore::visibleModulesChanged, &QuotaStore::themeChanged, &QuotaStore::showDockIconChanged,
          &QuotaStore::automaticallyChecksForUpdatesChanged})
        connect(&m_store, signal, this, &ModuleSettingsView::refresh);
    connect(&m_updateStore, &RemoteUpdateStore::stateChanged, this, &ModuleSettingsView::refreshUpdateCard);
    refresh();
    refreshUpdateCard();
}

ModuleSettingsView::~ModuleSettingsView()
{
    if (m_shownCheck)
        m_shownCheck->request_stop();
}

QSize ModuleSettingsView::sizeHint() const
{
    return {Model::width, Model::height};
}

QWidget *ModuleSettingsView::header()
{
    auto *header = new QWidget;
    auto *layout = new QHBoxLayout(header);
    layout->setContentsMargins(Model::horizontalPadding, Model::headerVerticalPadding,
                               Model::horizontalPadding, Model::headerVerticalPadding);
    layout->setSpacing(Model::headerSpacing);
    layout->addWidget(new IconTile(Model::headerSymbol(),
                                   IconTileStyle{46, 13, ThemeColor::accent(0.14), ThemeColor::accent(0.3), 1,
                                                 18, ThemeColor::accent()}));
    auto *titles = new QVBoxLayout;
    titles->setSpacing(4);
    titles->addWidget(ViewLabels::makeLabel(Model::headerTitle(), ViewFonts::systemFont(17, QFont::Bold)));
    titles->addWidget(ViewLabels::makeLabel(Model::headerSubtitle(), ViewFonts::systemFont(11, QFont::Medium),
                                            ThemeColor::secondaryText()));
    layout->addLayout(titles);
    SettingsLayout::addSpacer(layout, 12);
    CapsuleTagStyle counterStyle;
    counterStyle.font = ViewFonts::systemFont(10, QFont::Bold);
    counterStyle.horizontalPadding = 9;
    counterStyle.verticalPadding = 5;
    m_counter = new CapsuleTag(Model::counterText(m_store.visibleModules()), counterStyle);
    layout->addWidget(m_counter);
    return header;
}

QWidget *ModuleSettingsView::scrollArea()
{
    auto *content = new QWidget;
    auto *layout = new QVBoxLayout(content);
    layout->setContentsMargins(Model::horizontalPadding, Model::headerVerticalPadding,
                               Model::horizontalPadding, Model::headerVerticalPadding);
    layout->setSpacing(Model::cardSpacing);
    for (QWidget *card : {themeCard(), updateCard(), moduleCard(), dockCard()})
        layout->addWidget(card);
    layout->addStretch(1);

    auto *scroll = new QScrollArea;
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidgetResizable(true);
    scroll->setWidget(content);
    // The root's gradient shows through; setWidget turned the content's own fill on.
    content->setAutoFillBackground(false);
    scroll->viewport()->setAutoFillBackground(false);
    // A slim scroller; styling only the bar keeps the texts on the window's own palette.
    scroll->verticalScrollBar()->setStyleSheet(
        QStringLiteral("QScrollBar:vertical { background: transparent; width: 10px; margin: 2px 2px 2px 0; }"
                       "QScrollBar::handle:vertical { background: rgba(255, 255, 255, 56); border-radius: "
                       "3px; min-height: 28px; }"
                       "QScrollBar::handle:vertical:hover { background: rgba(255, 255, 255, 90); }"
                       "QScrollBar::add-line, QScrollBar::sub-line { height: 0; }"
                       "QScrollBar::add-page, QScrollBar::sub-page { background: transparent; }"));
    return scroll;
}

QWidget *ModuleSettingsView::themeCard()
{
    using Picker = ThemePickerModel;
    auto *card = SettingsLayout::settingsCard(Model::cardPadding);
    auto *layout = new QVBoxLayout;
    layout->setSpacing(Picker::spacing);

    auto *heading = SettingsLayout::rowLayout(8);
    heading->addWidget(
        new SymbolLabel(Picker::symbol(), Picker::title(), SettingsLayout::titleFont(),
                        ThemeColor::fixed(DarkPalette::palette().color(QPalette::WindowText))));
    heading->addStretch(1);
    m_themeName = new SymbolLabel(QString(), Picker::headerName(m_store.theme()),
                                  ViewFonts::systemFont(10, QFont::Bold), ThemeColor::accent());
    heading->addWidget(m_themeName);
    layout->addLayout(heading);

    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(Picker::gridSpacing);
    grid->setVerticalSpacing(Picker::gridSpacing);
    const int columns = static_cast<int>(QuotaThemeIDs::allCases.size());
    for (int index = 0; index < columns; ++index) {
        grid->addWidget(themeOption(QuotaThemeIDs::allCases[static_cast<std::size_t>(index)]), 0, index);
        grid->setColumnStretch(index, 1);
        grid->setColumnMinimumWidth(index, Picker::minimumColumnWidth);
    }
    layout->addLayout(grid);

    m_themeDetail = new WrappingText(Picker::footerDetail(m_store.theme()), SettingsLayout::detailFont(),
                                     ThemeColor::secondaryText(), Qt::AlignLeft);
    layout->addWidget(m_themeDetail);
    card->setContentLayout(layout);
    return card;
}

ThemeSwatchButton *ModuleSettingsView::themeOption(QuotaThemeID theme)
{
    auto *option = new ThemeSwatchButton(theme, [this] { return m_store.theme(); });
    connect(option, &QAbstractButton::clicked, this, [this, theme] { selectTheme(theme); });
    m_themeOptions[theme] = option;
    return option;
}

QWidget *ModuleSettingsView::updateCard()
{
    auto *card = SettingsLayout::settingsCard(Model::cardPadding);
    auto *layout = new QVBoxLayout;
    layout->setSpacing(11);

    auto *top = SettingsLayout::rowLayout(12);
    top->addWidget(SettingsLayout::iconTile(Model::updateSymbol(), 38, 10, 14));
    auto [texts, status] =
        SettingsLayout::titleAndDetail(Model::updateTitle(), m_updateStore.statusText(), 4);
    m_updateStatus = status;
    top->addWidget(texts, 1);
    SettingsLayout::addSpacer(top, 8);
    m_updateButton = new ThemedButton(m_updateStore.actionTitle(), QString(), ThemedButton::Kind::bordered,
                                      ThemedButton::ControlSize::regular);
    connect(m_updateButton, &QAbstractButton::clicked, this, &ModuleSettingsView::startPrimaryUpdateAction);
    top->addWidget(m_updateButton);
    layout->addLayout(top);
    layout->addWidget(new Divider);

    auto *automatic = SettingsLayout::rowLayout(8);
    automatic->addWidget(
        ViewLabels::makeLabel(Model::automaticCheckLabel(), ViewFonts::systemFont(10, QFont::Medium)));
    automatic->addStretch(1);
    m_automaticCheckSwitch = new ToggleSwitch(Model::automaticCheckLabel());
    connect(m_automaticCheckSwitch, &QAbstractButton::clicked, this, [this](bool enabled) {
        m_store.setAutomaticallyChecksForUpdates(enabled);
        if (Model::checksAfterAutomaticCheckChange(enabled, m_updateStore.state()))
            startUpdateCheck();
        refresh();
    });
    automatic->addWidget(m_automaticCheckSwitch);
    layout->addLayout(automatic);
    card->setContentLayout(layout);
    return card;
}

QWidget *ModuleSettingsView::moduleCard()
{
    auto *card =
        SettingsLayout::settingsCard(0, ViewShadow{ViewColors::srgb(0, 0, 0, 0.14), 12, QPointF(0, 7)});
    auto *layout = new QVBoxLayout;
    layout->setSpacing(0);
    int index = 0;
    for (const QuotaModule module : QuotaModules::allCases) {
        layout->addWidget(moduleRow(module));
        if (Model::hasDividerAfter(index++))
            layout->addWidget(new Divider(Model::rowDividerInset));
    }
    card->setContentLayout(layout);
    return card;
}

QWidget *ModuleSettingsView::moduleRow(QuotaModule module)
{
    const ModuleRowContent content = Model::row(module);
    auto *row = new QWidget;
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(Model::rowHorizontalPadding, Model::rowVerticalPadding,
                               Model::rowHorizontalPadding, Model::rowVerticalPadding);
    layout->setSpacing(Model::rowSpacing);
    layout->addWidget(SettingsLayout::iconTile(content.symbol, 36, 9, 13));
    layout->addWidget(SettingsLayout::titleAndDetail(content.title, content.description, 3).first, 1);
    SettingsLayout::addSpacer(layout, 12);
    auto *toggle = new ToggleSwitch(content.title);
    connect(toggle, &QAbstractButton::clicked, this, [this, module](bool visible) {
        m_store.setModuleVisible(module, visible);
        refresh();
    });
    m_moduleSwitches[module] = toggle;
    layout->addWidget(toggle);
    return row;
}

QWidget *ModuleSettingsView::dockCard()
{
    auto *card = SettingsLayout::settingsCard(Model::cardPadding);
    auto *layout = SettingsLayout::rowLayout(Model::rowSpacing);
    layout->addWidget(SettingsLayout::iconTile(Model::dockSymbol(), 38, 10, 14));
    layout->addWidget(SettingsLayout::titleAndDetail(Model::dockTitle(), Model::dockDetail(), 4).first, 1);
    SettingsLayout::addSpacer(layout, 12);
    m_dockSwitch = new ToggleSwitch(Model::dockTitle());
    connect(m_dockSwitch, &QAbstractButton::clicked, this, [this](bool shown) {
        m_store.setShowDockIcon(shown);
        refresh();
    });
    layout->addWidget(m_dockSwitch);
    card->setContentLayout(layout);
    return card;
}

QWidget *ModuleSettingsView::footer()
{
    auto *footer = new QWidget;
    auto *layout = new QHBoxLayout(footer);
    layout->setContentsMargins(Model::horizontalPadding, Model::footerVerticalPadding,
                               Model::horizontalPadding, Model::footerVerticalPadding);
    layout->setSpacing(Model::footerSpacing);
    auto *note = new SymbolLabel(Model::footerSymbol(), Model::footerNote(),
                                 ViewFonts::systemFont(10.5, QFont::Medium), ThemeColor::secondaryText());
    layout->addWidget(note);
    SettingsLayout::addSpacer(layout, 8);
    m_showAllButton = new ThemedButton(Model::showAllTitle(), QString(), ThemedButton::Kind::bordered,
                                       ThemedButton::ControlSize::large);
    connect(m_showAllButton, &QAbstractButton::clicked, this, [this] {
        m_store.showAllModules();
        refresh();
    });
    layout->addWidget(m_showAllButton);
    m_doneButton = new ThemedButton(Model::doneTitle(), QString(), ThemedButton::Kind::prominent,
                                    ThemedButton::ControlSize::large);
    connect(m_doneButton, &QAbstractButton::clicked, this, &ModuleSettingsView::closeSettingsWindow);
    layout->addWidget(m_doneButton);
    // Return (and the keypad's Enter) is the default action.
    for (const auto key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto *shortcut = new QShortcut(QKeySequence(key), this);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        connect(shortcut, &QShortcut::activated, m_doneButton, &QAbstractButton::click);
    }
    return footer;
}

void ModuleSettingsView::refresh()
{
    const QuotaModuleSet &visible = m_store.visibleModules();
    m_counter->setText(Model::counterText(visible));
    m_showAllButton->setEnabled(Model::isShowAllEnabled(visible));
    for (const auto &[module, toggle] : m_moduleSwitches)
        toggle->setChecked(visible.count(module) > 0);
    m_automaticCheckSwitch->setChecked(m_store.automaticallyChecksForUpdates());
    m_dockSwitch->setChecked(m_store.showDockIcon());
    m_themeName->setText(ThemePickerModel::headerName(m_store.theme()));
    m_themeDetail->setText(ThemePickerModel::footerDetail(m_store.theme()));
    for (const auto &[theme, option] : m_themeOptions)
        option->refresh();
    // Colours are resolved at paint time, so a new theme shows with the next repaint.
    update();
}

void ModuleSettingsView::refreshUpdateCard()
{
    m_updateStatus->setText(m_updateStore.statusText());
    m_updateButton->setText(m_updateStore.actionTitle());
    m_updateButton->setAccessibleName(m_updateStore.actionTitle());
    m_updateButton->setEnabled(Model::isUpdateButtonEnabled(m_updateStore.state()));
    m_updateButton->updateGeometry();
}

void ModuleSettingsView::selectTheme(QuotaThemeID theme)
{
    m_store.setTheme(theme);
    refresh();
    // Every open surface draws its colours afresh; ask each to repaint now.
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window->isVisible())
            window->update();
    }
}

void ModuleSettingsView::startUpdateCheck(std::stop_token cancellation)
{
    m_updateStore.check(cancellation);
}

void ModuleSettingsView::startPrimaryUpdateAction()
{
    m_updateStore.performPrimaryAction();
}

void ModuleSettingsView::closeSettingsWindow()
{
    if (QWidget *window = Model::firstSettingsWindow(Model::applicationWindows())) {
        window->close();
        return;
    }
    if (dismiss)
        dismiss();
}

void ModuleSettingsView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRectF area = rect();
    painter.fillRect(area, ViewColors::diagonalGradient(area, ThemeColor::panelTop().resolve(),
                                                        ThemeColor::panelBottom().resolve()));
}

void ModuleSettingsView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (event->spontaneous() || m_shownCheck)
        return;
    m_shownCheck.emplace();
    if (Model::checksWhenShown(m_store.automaticallyChecksForUpdates(), m_updateStore.state()))
        startUpdateCheck(m_shownCheck->get_token());
}

void ModuleSettingsView::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    if (event->spontaneous() || !m_shownCheck)
        return;
    m_shownCheck->request_stop();
    m_shownCheck.reset();
}

} // namespace pulsegrove
