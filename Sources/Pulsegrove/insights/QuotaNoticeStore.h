#pragma once

#include "UserDefaults.h"
#include "foundation/Clock.h"
#include "insights/QuotaNoticeCache.h"
#include "insights/QuotaNoticeFeed.h"
#include "insights/QuotaNoticeState.h"

#include <QFuture>
#include <QObject>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>

namespace pulsegrove {

// The process's one holder of the official quota-reset notices. It checks the notice feed only
// while a surface that shows notices is visible and a check is due, keeps the last good check in
// the user defaults, and publishes a QuotaNoticeState: objectWillChange() before a change,
// stateChanged() after it. Main thread only.
class QuotaNoticeStore final : public QObject {
    Q_OBJECT

public:
    using Fetcher = std::function<QFuture<std::optional<QList<QuotaNotice>>>(std::stop_token)>;

    // A check younger than this counts as fresh, an older one as stale.
    static constexpr double freshnessPeriodSeconds = 6 * 3600;
    // A check older than this is no longer shown at all.
    static constexpr double maximumUsableAgeSeconds = 3 * 24 * 3600;
    // After a successful check the next one is due this much later.
    static constexpr double refreshIntervalSeconds = 30 * 60;
    // After a failed check the next one waits this long, doubled per further failure up to the
    // refresh interval, so a feed that is down is not asked again on every opening of the menu.
    static constexpr double firstRetryDelaySeconds = 60;

    // The instance of the process, made on first use on the standard user defaults.
    static QuotaNoticeStore &shared();

    explicit QuotaNoticeStore(std::shared_ptr<UserDefaults> defaults, Clock clock = systemClock(),
                              Fetcher fetcher = &QuotaNoticeFeed::fetchPublishedNotices,
                              QObject *parent = nullptr);
    // A running check is cancelled and its result dropped.
    ~QuotaNoticeStore() override;

    const QuotaNoticeState &state() const { return m_state; }

    // Whether a surface shows the notices. True starts a check when one is due; false cancels a
    // running check and, while loading, falls back to the cached notices (or to idle).
    void setVisible(bool visible);
    bool isVisible() const { return m_isVisible; }

    // The published state as it stands at `now`: cached notices re-aged (expired ones dropped,
    // fresh turning stale, too old turning unavailable); idle, loading and unavailable as they are.
    QuotaNoticeState stateFor(Date now) const;

    // Seams for tests and diagnostics.
    bool isFetching() const { return m_fetchGeneration.has_value(); }
    std::optional<Date> nextCheckDue() const { return m_nextCheckDue; }

Q_SIGNALS:
    void objectWillChange();
    void stateChanged();

private:
    void refreshIfDue();
    void startFetch();
    void finishFetch(std::uint64_t generation, const std::optional<QList<QuotaNotice>> &notices);
    void cancelFetch();
    void publish(QuotaNoticeState state);
    // The cached check as a state for `now`, or nothing when there is none or it is too old.
    std::optional<QuotaNoticeState> cachedStateFor(Date now) const;

    QuotaNoticeCache m_cache;
    Clock m_clock;
    Fetcher m_fetcher;
    QuotaNoticeState m_state;
    std::optional<QuotaNoticeFeed> m_feed;
    bool m_isVisible = false;
    int m_consecutiveFailures = 0;
    std::optional<Date> m_nextCheckDue;
    std::uint64_t m_nextGeneration = 0;
    std::optional<std::uint64_t> m_fetchGeneration;
    std::stop_source m_fetchStop;
};

} // namespace pulsegrove
