#pragma once

#include "update/RemoteUpdateOperations.h"

#include <QFuture>
#include <QObject>
#include <optional>
#include <stop_token>

namespace pulsegrove {

// The update state machine that a settings surface shows: idle until asked, then checking, and
// from there current, unavailable or available; an available signed update is downloaded and
// verified, confirmed and installed through the operations it was given. Each settings surface
// makes its own. Main thread only; every change is announced by objectWillChange() before and
// the property's own signal after.
class RemoteUpdateStore final : public QObject {
    Q_OBJECT

public:
    using State = RemoteUpdateState;
    using Delivery = RemoteUpdateDelivery;

    // A store of this build: its checks reach no release service (see withoutReleaseService).
    explicit RemoteUpdateStore(QObject *parent = nullptr);
    explicit RemoteUpdateStore(RemoteUpdateOperations operations, QObject *parent = nullptr);
    ~RemoteUpdateStore() override;

    const State &state() const { return m_state; }
    const std::optional<RemoteUpdateCandidate> &candidate() const { return m_candidate; }

    // The update card's one-line status, its button's title, and whether a download or an
    // installation is under way.
    QString statusText() const;
    QString actionTitle() const;
    bool isWorking() const;

    static QString statusText(const State &state);
    static QString actionTitle(const State &state);
    static bool isWorking(const State &state);

    // Returns a finished future at once while a check, a download or an installation runs.
    // Otherwise clears the candidate, goes to checking and ends in available, current or
    // unavailable; when `cancellation` is stopped first, it goes back to idle at once and the
    // answer is dropped. Never fails.
    QFuture<void> check(std::stop_token cancellation = {});
    // The action of the update card's button for the current state.
    QFuture<void> performPrimaryAction();

Q_SIGNALS:
    void objectWillChange();
    void stateChanged();
    void candidateChanged();

private:
    void setState(State state);
    void setCandidate(std::optional<RemoteUpdateCandidate> candidate);
    void finishCheck(quint64 generation, const RemoteUpdateCheckOutcome &outcome,
                     std::stop_token cancellation);
    void cancelCheck(quint64 generation);
    // Both take their values by copy: they come from the state they replace.
    QFuture<void> download(QString version);
    QFuture<void> install(QString version, std::filesystem::path fileURL);

    RemoteUpdateOperations m_operations;
    State m_state;
    std::optional<RemoteUpdateCandidate> m_candidate;
    // Each check has a number; an answer or a cancellation for an older one is ignored.
    quint64 m_checkGeneration = 0;
    std::optional<std::stop_callback<std::function<void()>>> m_cancellationCallback;
};

} // namespace pulsegrove
