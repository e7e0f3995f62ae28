#include "views/panel/QuotaPanelView.h"

#include "stores/QuotaStore.h"
#include "stores/SystemMetricsStore.h"
#include "views/panel/QuotaPanelElementViews.h"
#include "views/panel/QuotaPanelFooter.h"
#include "views/panel/QuotaPanelHeader.h"
#include "views/primitives/DarkPalette.h"
#include "views/primitives/Divider.h"
#include "views/primitives/MinuteTimeline.h"
#include "views/primitives/OverlayScrollArea.h"
#include "views/primitives/ThemeColor.h"
#include "views/primitives/ViewColors.h"

#include <QPainter>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace pulsegrove {

namespace {

int measuredHeight(const QWidget *section, int width)
{
    return section->hasHeightForWidth() ? section->heightForWidth(width) : section->sizeHint().height();
}

} // namespace

QuotaPanelView::QuotaPanelView(QuotaStore &store, SystemMetricsStore &metricsStore, qreal maximumHeight,
                               const QString &surfaceID, std::function<void(qreal)> onPreferredHeightChange,
                               QWidget *parent)
    : QWidget(parent), m_store(store), m_metricsStore(metricsStore), m_surfaceID(surfaceID),
      m_onPreferredHeightChange(std::move(onPreferredHeightChange)), m_heights(maximumHeight)
{
    setFixedWidth(panelWidth);
    DarkPalette::apply(this);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_header = new QuotaPanelHeader;
    layout->addWidget(m_header);
    layout->addWidget(new Divider);

    m_content = new QWidget;
    m_content->setAutoFillBackground(false);
    // The column never grows wider than the panel, whatever a card asks for.
    m_content->setMaximumWidth(panelWidth);
    m_contentLayout = new QVBoxLayout(m_content);
    m_contentLayout->setContentsMargins(contentHorizontalPadding, contentVerticalPadding,
                                        contentHorizontalPadding, contentVerticalPadding);
    m_contentLayout->setSpacing(contentSpacing);
    m_scrollArea = new OverlayScrollArea;
    m_scrollArea->setWidget(m_content);
    layout->addWidget(m_scrollArea);

    layout->addWidget(new Divider);
    m_footer = new QuotaPanelFooter(m_store);
    layout->addWidget(m_footer);

    for (auto signal :
         {&QuotaStore::snapshotChanged, &QuotaStore::isRefreshingChanged, &QuotaStore::errorMessageChanged,
          &QuotaStore::hasLiveSnapshotChanged, &QuotaStore::visibleModulesChanged})
        connect(&m_store, signal, this, &QuotaPanelView::scheduleUpdate);
    connect(&m_store, &QuotaStore::visibleModulesChanged, this, [this] {
        // Hiding or showing the system card stops or starts sampling for this surface at once.
        if (m_isOnScreen)
            m_metricsStore.setVisible(showsSystemMetrics(), m_surfaceID);
    });
    connect(&m_store, &QuotaStore::themeChanged, this, [this] {
        // Labels take their colours when made, so a new theme rebuilds the cards too.
        m_rebuildEverything = true;
        scheduleUpdate();
    });
    // Data also turns stale by age alone, which no store signal announces: look again each minute.
    // Unchanged cards are kept, so a tick that changes nothing rebuilds nothing.
    connect(new MinuteTimeline(this), &MinuteTimeline::tick, this, &QuotaPanelView::scheduleUpdate);
    updateFromStores();
}

QuotaPanelView::~QuotaPanelView()
{
    setOnScreen(false);
}

QuotaPanelContent::Inputs QuotaPanelView::contentInputs() const
{
    return {m_store.snapshot(), m_store.isRefreshing(), m_store.errorMessage(), m_store.isStale(),
            m_store.visibleModules()};
}

std::vector<QuotaPanelElement> QuotaPanelView::contentElements() const
{
    std::vector<QuotaPanelElement> elements;
    for (const auto &shown : m_shown)
        elements.push_back(shown.first);
    return elements;
}

QWidget *QuotaPanelView::contentView(std::size_t index) const
{
    return index < m_shown.size() ? m_shown[index].second : nullptr;
}

void QuotaPanelView::scheduleUpdate()
{
    if (m_updateScheduled)
        return;
    m_updateScheduled = true;
    QMetaObject::invokeMethod(this, &QuotaPanelView::updateFromStores, Qt::QueuedConnection);
}

void QuotaPanelView::updateFromStores()
{
    m_updateScheduled = false;
    m_header->apply(m_store.snapshot(), m_store.isStale());
    m_footer->apply(m_store.isRefreshing());
    reconcileContent();
    update();
    scheduleMeasurement();
}

// Keeps the view of every element that is unchanged (so a card keeps its own state, such as an
// expanded list), builds the others, and drops the views of elements that went away. A card
// rebuilt for new inputs takes over the view state of the card it replaces.
void QuotaPanelView::reconcileContent()
{
    const std::vector<QuotaPanelElement> elements = QuotaPanelContent::elements(contentInputs());
    std::vector<std::pair<QuotaPanelElement, QWidget *>> next;
    next.reserve(elements.size());
    for (const QuotaPanelElement &element : elements) {
        auto reusable = std::find_if(m_shown.begin(), m_shown.end(), [&](const auto &shown) {
            return shown.second && shown.first == element;
        });
        QWidget *view = nullptr;
        if (!m_rebuildEverything && reusable != m_shown.end())
            view = std::exchange(reusable->second, nullptr);
        next.emplace_back(element, view);
    }
    m_rebuildEverything = false;
    for (auto &[element, view] : next) {
        if (view)
            continue;
        view = QuotaPanelElementViews::make(element, m_store, m_metricsStore);
        auto previous = std::find_if(m_shown.begin(), m_shown.end(), [&](const auto &shown) {
            return shown.second && shown.first.kind == element.kind;
        });
        if (view && previous != m_shown.end())
            QuotaPanelElementViews::carryViewState(*previous->second, *view);
    }
    for (auto &[element, view] : m_shown) {
        if (view) {
            view->hide();
            view->deleteLater();
        }
    }
    while (QLayoutItem *item = m_contentLayout->takeAt(0))
        delete item;
    for (const auto &[element, view] : next) {
        if (view)
            m_contentLayout->addWidget(view);
    }
    m_shown = std::move(next);
}

void QuotaPanelView::scheduleMeasurement()
{
    if (m_measurementScheduled)
        return;
    m_measurementScheduled = true;
    QMetaObject::invokeMethod(this, &QuotaPanelView::measureNow, Qt::QueuedConnection);
}

void QuotaPanelView::measureNow()
{
    m_measurementScheduled = false;
    const QuotaPanelSectionHeights measured{
        {QuotaPanelSection::header, measuredHeight(m_header, panelWidth)},
        {QuotaPanelSection::content, measuredHeight(m_content, panelWidth)},
        {QuotaPanelSection::footer, measuredHeight(m_footer, panelWidth)},
    };
    const std::optional<qreal> report = m_heights.accept(measured);
    applyHeights();
    if (report && m_onPreferredHeightChange)
        m_onPreferredHeightChange(*report);
}

void QuotaPanelView::applyHeights()
{
    // The scroll area fits its content to the viewport down to the content's minimum size, which
    // for wrapping text lies below the height it needs: hold the column at its measured height,
    // so it scrolls instead of squeezing its cards.
    const auto &measured = m_heights.measuredSectionHeights();
    if (const auto content = measured.find(QuotaPanelSection::content); content != measured.end())
        m_content->setMinimumHeight(static_cast<int>(content->second));
    if (const auto viewport = contentViewportHeight())
        m_scrollArea->setFixedHeight(static_cast<int>(std::ceil(*viewport)));
    if (const auto preferred = preferredHeight())
        setFixedHeight(static_cast<int>(std::ceil(*preferred)));
    updateGeometry();
}

QSize QuotaPanelView::sizeHint() const
{
    if (const auto preferred = preferredHeight())
        return {panelWidth, static_cast<int>(std::ceil(*preferred))};
    return {panelWidth, QWidget::sizeHint().height()};
}

bool QuotaPanelView::showsSystemMetrics() const
{
    return m_store.visibleModules().contains(QuotaModule::systemMetrics);
}

void QuotaPanelView::setOnScreen(bool onScreen)
{
    if (m_isOnScreen == onScreen)
        return;
    m_isOnScreen = onScreen;
    if (onScreen) {
        m_store.setSurfaceVisible(true, m_surfaceID);
        m_metricsStore.setVisible(showsSystemMetrics(), m_surfaceID);
        m_store.refreshLaunchAtLoginState();
    } else {
        m_store.setSurfaceVisible(false, m_surfaceID);
        m_metricsStore.setVisible(false, m_surfaceID);
    }
}

void QuotaPanelView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    setOnScreen(true);
}

void QuotaPanelView::hideEvent(QHideEvent *event)
{
    setOnScreen(false);
    QWidget::hideEvent(event);
}

void QuotaPanelView::paintEvent(QPaintEvent *)
{
    // The palette is read at every paint, so a theme chosen elsewhere shows at the next repaint.
    QPainter painter(this);
    painter.fillRect(rect(), ViewColors::diagonalGradient(rect(), ThemeColor::panelTop().resolve(),
                                                          ThemeColor::panelBottom().resolve()));
}

} // namespace pulsegrove
