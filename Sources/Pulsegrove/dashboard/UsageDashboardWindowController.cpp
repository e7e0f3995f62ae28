#include "dashboard/UsageDashboardWindowController.h"

#include "dashboard/UsageDashboardPageModel.h"
#include "dashboard/UsageDashboardPageView.h"
#include "quota/CancellationError.h"
#include "stores/FutureCompletion.h"
#include "views/primitives/CloseShortcuts.h"
#include "views/primitives/DarkPalette.h"
#include "views/primitives/WindowPlacement.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QVBoxLayout>
#include <QWidget>
#include <nlohmann/json.hpp>

namespace pulsegrove {

UsageDashboardWindowController::UsageDashboardWindowController(
    ReportLoader reportLoader, QuotaSnapshotProvider quotaSnapshotProvider,
    std::function<void()> closeHandler, std::shared_ptr<ApplicationActivation> activation, QObject *parent)
    : QObject(parent), m_reportLoader(std::move(reportLoader)),
      m_quotaSnapshotProvider(std::move(quotaSnapshotProvider)), m_closeHandler(std::move(closeHandler)),
      m_activation(std::move(activation)), m_window(std::make_unique<QWidget>())
{
    m_window->setObjectName(QStringLiteral("io.velorn.Pulsegrove.usage-dashboard"));
    m_window->setWindowTitle(windowTitle());
    m_window->setAttribute(Qt::WA_DeleteOnClose, false);
    m_window->setMinimumSize(minimumWidth, minimumHeight);
    m_window->resize(defaultWidth, defaultHeight);
    DarkPalette::apply(m_window.get());
    CloseShortcuts::install(*m_window);
    auto *layout = new QVBoxLayout(m_window.get());
    layout->setContentsMargins(0, 0, 0, 0);
    m_page = new UsageDashboardPageView;
    layout->addWidget(m_page);
    m_window->installEventFilter(this);
    // A native page is ready as soon as it exists; there is nothing to fetch.
    m_pageReady = true;
}

UsageDashboardWindowController::~UsageDashboardWindowController()
{
    cancelLoad();
}

QString UsageDashboardWindowController::windowTitle()
{
    return QString::fromUtf8("Pulse Grove · 本地用量统计");
}

void UsageDashboardWindowController::show()
{
    updateQuotaSnapshots();
    if (m_pageReady && !m_report && !isLoading())
        startLoad(false);
    placeWindow();
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
    if (m_activation)
        m_activation->activate(true);
}

void UsageDashboardWindowController::placeWindow()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (m_window->isVisible() && screen && screen->availableGeometry().contains(m_window->frameGeometry()))
        return;
    // A new window asks for its default size, one that has been shown for the size it has now.
    WindowPlacement::placeOnPrimaryScreen(*m_window, m_window->size(), m_window->minimumSize());
}

void UsageDashboardWindowController::updateQuotaSnapshots()
{
    if (!m_report)
        return;
    m_report->quotaSnapshots =
        m_quotaSnapshotProvider ? m_quotaSnapshotProvider() : std::vector<UsageQuotaSnapshot>{};
    if (m_pageReady)
        sendToPage(UsageDashboardPageView::snapshotsEvent,
                   UsageQuotaSnapshot::encodeList(m_report->quotaSnapshots).dump());
}

void UsageDashboardWindowController::startLoad(bool rebuild)
{
    if (!m_reportLoader)
        return;
    // Progress arrives on the loader's thread and is handed to the main thread, where the weak
    // pointer tells whether this controller, and this very load, still stand. Nothing waits for a
    // load to notice its cancellation.
    QPointer<UsageDashboardWindowController> self(this);
    const quint64 generation = ++m_loadGeneration;
    ProgressCallback progress = [self, generation](const UsageScanState &state) {
        QMetaObject::invokeMethod(
            qApp,
            [self, generation, payload = state.toJSON().dump()] {
                if (self && self->m_loading && self->m_loadGeneration == generation)
                    self->sendToPage(UsageDashboardPageView::scanEvent, payload);
            },
            Qt::QueuedConnection);
    };
    m_loading = m_reportLoader(rebuild, std::move(progress));
    whenFinished(this, *m_loading, [this, generation](const QFuture<UsageDashboardReport> &finished) {
        finishLoad(generation, finished);
    });
    sendToPage(UsageDashboardPageView::scanEvent, UsageScanState{}.toJSON().dump());
}

void UsageDashboardWindowController::finishLoad(quint64 generation,
                                                const QFuture<UsageDashboardReport> &finished)
{
    // A cancelled or replaced load's end belongs to nobody.
    if (!m_loading || generation != m_loadGeneration)
        return;
    m_loading.reset();
    QFuture<UsageDashboardReport> future = finished;
    try {
        // Rethrows what the load threw; a cancellation is silent.
        future.waitForFinished();
    } catch (const CancellationError &) {
        return;
    } catch (...) {
        sendToPage(
            UsageDashboardPageView::errorEvent,
            nlohmann::json{{"message", UsageDashboardPageModel::loadFailedMessage().toStdString()}}.dump());
        return;
    }
    if (future.resultCount() == 0)
        return;
    m_report = future.result();
    m_report->quotaSnapshots =
        m_quotaSnapshotProvider ? m_quotaSnapshotProvider() : std::vector<UsageQuotaSnapshot>{};
    sendToPage(UsageDashboardPageView::reportEvent, m_report->toJSON().dump());
}

void UsageDashboardWindowController::cancelLoad()
{
    if (!m_loading)
        return;
    QFuture<UsageDashboardReport> future = *std::exchange(m_loading, std::nullopt);
    future.cancel();
}

void UsageDashboardWindowController::sendToPage(const char *event, const std::string &payload)
{
    m_page->receive(QString::fromLatin1(event), payload);
}

bool UsageDashboardWindowController::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window.get() && event->type() == QEvent::Close)
        handleClose();
    return QObject::eventFilter(watched, event);
}

void UsageDashboardWindowController::handleClose()
{
    if (m_closeHandled)
        return;
    m_closeHandled = true;
    cancelLoad();
    m_report.reset();
    m_page->stop();
    m_pageReady = false;
    if (m_closeHandler)
        m_closeHandler();
}

} // namespace pulsegrove
