#pragma once

#include <QFutureWatcher>
#include <QPromise>
#include <memory>
#include <optional>

namespace pulsegrove {

// How every piece of background work of the application reports back: `handler` gets the
// finished future on `context`'s thread, in a later turn of its event loop, however the work
// ended (a result, an exception, a cancellation or a promise dropped unfinished). The watcher is
// a child of `context`, so nothing runs once `context` is gone; the returned future finishes
// after the handler, or ends cancelled when `context` went first. A future that is already
// finished is still handed over on a later turn, never inside the call.
template <typename T, typename Handler>
QFuture<void> whenFinished(QObject *context, QFuture<T> future, Handler handler)
{
    auto promise = std::make_shared<QPromise<void>>();
    promise->start();
    QFuture<void> done = promise->future();
    auto *watcher = new QFutureWatcher<T>(context);
    QObject::connect(watcher, &QFutureWatcherBase::finished, context, [watcher, promise, handler]() mutable {
        watcher->deleteLater();
        handler(watcher->future());
        promise->finish();
    });
    watcher->setFuture(future);
    return done;
}

// The future's result, or nothing when it ended without one.
template <typename T> std::optional<T> resultOf(const QFuture<T> &future)
{
    if (future.resultCount() == 0)
        return std::nullopt;
    return future.result();
}

} // namespace pulsegrove
