#include "insights/QuotaNoticeStore.h"

#include "stores/FutureCompletion.h"

#include <algorithm>
#include <utility>

namespace pulsegrove {

namespace {

using Outcome = std::optional<QList<QuotaNotice>>;

// A fetch that threw, was cancelled or finished without a value yields nothing, like one that
// found no feed.
Outcome outcomeOf(QFuture<Outcome> future)
{
    try {
        return future.resultCount() > 0 ? future.result() : Outcome();
    } catch (...) {
        return Outcome();
    }
}

double retryDelaySeconds(int consecutiveFailures)
{
    double delay = QuotaNoticeStore::firstRetryDelaySeconds;
    for (int failure = 1; failure < consecutiveFailures && delay < QuotaNoticeStore::refreshIntervalSeconds;
         ++failure)
        delay *= 2;
    return std::min(delay, QuotaNoticeStore::refreshIntervalSeconds);
}

} // namespace

QuotaNoticeStore &QuotaNoticeStore::shared()
{
    // Made once and never destroyed: surfaces may still hold it while the application object
    // goes away at exit.
    static QuotaNoticeStore *const store = new QuotaNoticeStore(UserDefaults::standard());
    return *store;
}

QuotaNoticeStore::QuotaNoticeStore(std::shared_ptr<UserDefaults> defaults, Clock clock, Fetcher fetcher,
                                   QObject *parent)
    : QObject(parent), m_cache(std::move(defaults)), m_clock(std::move(clock)), m_fetcher(std::move(fetcher)),
      m_feed(m_cache.load())
{
    if (m_feed)
        m_nextCheckDue = m_feed->checkedAt.addingSeconds(refreshIntervalSeconds);
}

QuotaNoticeStore::~QuotaNoticeStore()
{
    cancelFetch();
}

void QuotaNoticeStore::setVisible(bool visible)
{
    m_isVisible = visible;
    if (visible) {
        refreshIfDue();
        return;
    }
    cancelFetch();
    if (m_state.status == QuotaNoticeState::Status::loading)
        publish(cachedStateFor(m_clock()).value_or(QuotaNoticeState{}));
}

QuotaNoticeState QuotaNoticeStore::stateFor(Date now) const
{
    using Status = QuotaNoticeState::Status;
    if (m_state.status != Status::fresh && m_state.status != Status::stale)
        return m_state;
    return cachedStateFor(now).value_or(QuotaNoticeState{Status::unavailable, {}, m_state.checkedAt});
}

void QuotaNoticeStore::refreshIfDue()
{
    if (!m_isVisible || isFetching())
        return;
    const Date now = m_clock();
    // Every delay is at most the refresh interval, so a due time further away than that means the
    // clock was set back: check rather than wait out the difference.
    const bool isDue = !m_nextCheckDue || now >= *m_nextCheckDue ||
                       m_nextCheckDue->timeIntervalSince(now) > refreshIntervalSeconds;
    if (isDue) {
        startFetch();
        return;
    }
    // Not due yet: a store that has published nothing so far shows what it has cached.
    if (m_state.status == QuotaNoticeState::Status::idle)
        if (auto cached = cachedStateFor(now))
            publish(std::move(*cached));
}

void QuotaNoticeStore::startFetch()
{
    // The cached notices stay listed while the check runs.
    const auto cached = cachedStateFor(m_clock());
    QuotaNoticeState loading{QuotaNoticeState::Status::loading,
                             cached ? cached->notices : QList<QuotaNotice>(),
                             cached ? cached->checkedAt : std::nullopt};
    m_fetchStop = std::stop_source();
    const std::uint64_t generation = ++m_nextGeneration;
    m_fetchGeneration = generation;
    publish(std::move(loading));
    // A check that ends after the store is gone has nobody to tell.
    whenFinished(this, m_fetcher(m_fetchStop.get_token()),
                 [this, generation](const QFuture<Outcome> &finished) {
                     finishFetch(generation, outcomeOf(finished));
                 });
}

void QuotaNoticeStore::finishFetch(std::uint64_t generation, const std::optional<QList<QuotaNotice>> &notices)
{
    if (m_fetchGeneration != generation)
        return; // cancelled: the result belongs to nobody
    m_fetchGeneration.reset();
    const Date now = m_clock();
    if (notices) {
        m_feed = QuotaNoticeFeed{*notices, now};
        m_cache.save(*m_feed);
        m_consecutiveFailures = 0;
        m_nextCheckDue = now.addingSeconds(refreshIntervalSeconds);
    } else {
        ++m_consecutiveFailures;
        m_nextCheckDue = now.addingSeconds(retryDelaySeconds(m_consecutiveFailures));
    }
    publish(cachedStateFor(now).value_or(QuotaNoticeState{QuotaNoticeState::Status::unavailable, {}, now}));
}

void QuotaNoticeStore::cancelFetch()
{
    if (!m_fetchGeneration)
        return;
    m_fetchStop.request_stop();
    m_fetchGeneration.reset();
}

void QuotaNoticeStore::publish(QuotaNoticeState state)
{
    if (state == m_state)
        return;
    Q_EMIT objectWillChange();
    m_state = std::move(state);
    Q_EMIT stateChanged();
}

std::optional<QuotaNoticeState> QuotaNoticeStore::cachedStateFor(Date now) const
{
    if (!m_feed)
        return std::nullopt;
    const double age = now.timeIntervalSince(m_feed->checkedAt);
    if (age > maximumUsableAgeSeconds)
        return std::nullopt;
    QuotaNoticeState state{age < freshnessPeriodSeconds ? QuotaNoticeState::Status::fresh
                                                        : QuotaNoticeState::Status::stale,
                           {},
                           m_feed->checkedAt};
    std::copy_if(m_feed->notices.cbegin(), m_feed->notices.cend(), std::back_inserter(state.notices),
                 [now](const QuotaNotice &notice) { return notice.expiresAt > now; });
    return state;
}

} // namespace pulsegrove
