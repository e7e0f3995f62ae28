#include "update/RemoteUpdateStore.h"

#include "stores/FutureCompletion.h"

#include <QMetaObject>

namespace pulsegrove {

namespace {

template <typename... Handlers> struct Overloaded : Handlers... {
    using Handlers::operator()...;
};
template <typename... Handlers> Overloaded(Handlers...) -> Overloaded<Handlers...>;

// Runs `handler` on the store's thread with the operation's result, or with nothing when the
// operation ended without one (its promise was dropped).
template <typename T, typename Handler>
QFuture<void> whenOperationFinished(QObject *store, QFuture<T> future, Handler handler)
{
    return whenFinished(store, std::move(future),
                        [handler](const QFuture<T> &finished) mutable { handler(resultOf(finished)); });
}

} // namespace

RemoteUpdateStore::RemoteUpdateStore(QObject *parent)
    : RemoteUpdateStore(RemoteUpdateOperations::withoutReleaseService(), parent)
{
}

RemoteUpdateStore::RemoteUpdateStore(RemoteUpdateOperations operations, QObject *parent)
    : QObject(parent), m_operations(std::move(operations))
{
}

RemoteUpdateStore::~RemoteUpdateStore()
{
    // A view's cancellation must not reach a store that is gone.
    m_cancellationCallback.reset();
}

QString RemoteUpdateStore::statusText() const
{
    return statusText(m_state);
}

QString RemoteUpdateStore::actionTitle() const
{
    return actionTitle(m_state);
}

bool RemoteUpdateStore::isWorking() const
{
    return isWorking(m_state);
}

QString RemoteUpdateStore::statusText(const State &state)
{
    using S = State;
    return std::visit(
        Overloaded{
            [](const S::Idle &) { return QStringLiteral("仅检查签名正式版，不会静默下载或执行文件"); },
            [](const S::Checking &) { return QStringLiteral("正在核验 Relay 发布清单…"); },
            [](const S::Current &) { return QStringLiteral("当前已是最新版本"); },
            [](const S::Unavailable &s) { return s.message; },
            [](const S::Available &s) {
                return s.delivery == RemoteUpdateDelivery::website
                           ? QStringLiteral("发现新版本 %1，请前往官网下载").arg(s.version)
                           : QStringLiteral("发现新版本 %1，可安全下载并核验签名").arg(s.version);
            },
            [](const S::Downloading &s) { return QStringLiteral("正在下载并核验版本 %1…").arg(s.version); },
            [](const S::Downloaded &s) { return QStringLiteral("版本 %1 已下载并通过核验").arg(s.version); },
            [](const S::ConfirmingInstall &s) {
                return QStringLiteral("确认后将安装版本 %1 并重新启动").arg(s.version);
            },
            [](const S::Installing &s) {
                return QStringLiteral("正在准备安装版本 ") + s.version + QStringLiteral("…");
            },
        },
        state.value());
}

QString RemoteUpdateStore::actionTitle(const State &state)
{
    using S = State;
    return std::visit(Overloaded{
                          [](const S::Idle &) { return QStringLiteral("检查更新"); },
                          [](const S::Unavailable &) { return QStringLiteral("检查更新"); },
                          [](const S::Current &) { return QStringLiteral("检查更新"); },
                          [](const S::Checking &) { return QStringLiteral("检查中"); },
                          [](const S::Available &s) {
                              return s.delivery == RemoteUpdateDelivery::website
                                         ? QStringLiteral("打开官网下载")
                                         : QStringLiteral("安全下载");
                          },
                          [](const S::Downloading &) { return QStringLiteral("下载中"); },
                          [](const S::Downloaded &s) {
                              return s.automaticInstallReady ? QStringLiteral("安装并重启")
                                                             : QStringLiteral("在文件管理器中显示");
                          },
                          [](const S::ConfirmingInstall &) { return QStringLiteral("确认安装"); },
                          [](const S::Installing &) { return QStringLiteral("准备中"); },
                      },
                      state.value());
}

bool RemoteUpdateStore::isWorking(const State &state)
{
    return state.is<State::Downloading>() || state.is<State::Installing>();
}

void RemoteUpdateStore::setState(State state)
{
    if (state == m_state)
        return;
    Q_EMIT objectWillChange();
    m_state = std::move(state);
    Q_EMIT stateChanged();
}

void RemoteUpdateStore::setCandidate(std::optional<RemoteUpdateCandidate> candidate)
{
    if (candidate == m_candidate)
        return;
    Q_EMIT objectWillChange();
    m_candidate = std::move(candidate);
    Q_EMIT candidateChanged();
}

QFuture<void> RemoteUpdateStore::check(std::stop_token cancellation)
{
    if (m_state.is<State::Checking>() || isWorking() || cancellation.stop_requested())
        return QtFuture::makeReadyFuture();
    const quint64 generation = ++m_checkGeneration;
    setCandidate(std::nullopt);
    setState(State::checking());
    m_cancellationCallback.reset();
    if (cancellation.stop_possible()) {
        // The stop may come from a view being torn down: go back to idle on the next turn, not
        // inside its destructor. The destructor drops this callback, and an event posted to a
        // store that is gone is never delivered.
        m_cancellationCallback.emplace(cancellation, std::function<void()>([this, generation] {
                                           QMetaObject::invokeMethod(
                                               this, [this, generation] { cancelCheck(generation); },
                                               Qt::QueuedConnection);
                                       }));
    }
    return whenOperationFinished(
        this, m_operations.check(cancellation),
        [this, generation, cancellation](std::optional<RemoteUpdateCheckOutcome> outcome) {
            // A check that gave no answer at all is one that could not be made.
            finishCheck(generation,
                        outcome.value_or(RemoteUpdateCheckOutcome{
                            State::unavailable(RemoteUpdateOperations::unavailableMessage()), std::nullopt}),
                        cancellation);
        });
}

void RemoteUpdateStore::finishCheck(quint64 generation, const RemoteUpdateCheckOutcome &outcome,
                                    std::stop_token cancellation)
{
    if (generation != m_checkGeneration || !m_state.is<State::Checking>())
        return;
    m_cancellationCallback.reset();
    if (cancellation.stop_requested()) {
        setState(State::idle());
        return;
    }
    // A check ends in one of its three results; anything else it might report is no answer.
    const bool isResult = outcome.state.is<State::Available>() || outcome.state.is<State::Current>() ||
                          outcome.state.is<State::Unavailable>();
    if (!isResult) {
        setState(State::unavailable(RemoteUpdateOperations::unavailableMessage()));
        return;
    }
    if (const auto *available = outcome.state.as<State::Available>();
        available && available->delivery == RemoteUpdateDelivery::signedArtifact && !outcome.candidate) {
        // A signed update without the release to download cannot be offered.
        setState(State::unavailable(RemoteUpdateOperations::unavailableMessage()));
        return;
    }
    setCandidate(outcome.candidate);
    setState(outcome.state);
}

void RemoteUpdateStore::cancelCheck(quint64 generation)
{
    if (generation != m_checkGeneration || !m_state.is<State::Checking>())
        return;
    ++m_checkGeneration;
    m_cancellationCallback.reset();
    setState(State::idle());
}

QFuture<void> RemoteUpdateStore::performPrimaryAction()
{
    if (const auto *confirming = m_state.as<State::ConfirmingInstall>())
        return install(confirming->version, confirming->fileURL);
    if (const auto *downloaded = m_state.as<State::Downloaded>()) {
        const State::Downloaded file = *downloaded;
        if (file.automaticInstallReady)
            setState(State::confirmingInstall(file.version, file.fileURL));
        else if (m_operations.revealInFileManager)
            m_operations.revealInFileManager(file.fileURL);
        return QtFuture::makeReadyFuture();
    }
    if (const auto *available = m_state.as<State::Available>()) {
        if (available->delivery == RemoteUpdateDelivery::signedArtifact)
            return download(available->version);
        if (m_operations.openDownloadsPage)
            m_operations.openDownloadsPage();
        return QtFuture::makeReadyFuture();
    }
    return check();
}

QFuture<void> RemoteUpdateStore::download(QString version)
{
    if (!m_candidate || !m_operations.downloadAndVerify) {
        setState(State::unavailable(RemoteUpdateOperations::unavailableMessage()));
        return QtFuture::makeReadyFuture();
    }
    setState(State::downloading(version));
    return whenOperationFinished(
        this, m_operations.downloadAndVerify(*m_candidate),
        [this, version](std::optional<std::variant<RemoteUpdateDownload, QString>> result) {
            if (m_state != State::downloading(version))
                return;
            const auto *file = result ? std::get_if<RemoteUpdateDownload>(&*result) : nullptr;
            if (file)
                setState(State::downloaded(version, file->fileURL, file->automaticInstallReady));
            else
                setState(State::unavailable(result ? std::get<QString>(*result)
                                                   : RemoteUpdateOperations::unavailableMessage()));
        });
}

QFuture<void> RemoteUpdateStore::install(QString version, std::filesystem::path fileURL)
{
    setState(State::installing(version));
    if (!m_operations.install) {
        setState(State::downloaded(version, fileURL, false));
        return QtFuture::makeReadyFuture();
    }
    return whenOperationFinished(this, m_operations.install(version, fileURL),
                                 [this, version, fileURL](std::optional<bool> started) {
                                     // A started installation ends this process; one that could
                                     // not start leaves the file where the user can install it by
                                     // hand.
                                     if (!started.value_or(false) && m_state == State::installing(version))
                                         setState(State::downloaded(version, fileURL, false));
                                 });
}

} // namespace pulsegrove
