#pragma once

#include "FakeApplicationActivation.h"
#include "FakeCodex.h"
#include "FakeLoginItemService.h"
#include "FakeWorkspace.h"
#include "RecordingSystemLog.h"
#include "TemporaryDirectory.h"
#include "stores/QuotaStore.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTest>
#include <algorithm>
#include <gtest/gtest.h>

namespace pulsegrove::testing {

// A quota store on a temporary home, with fake desktop services, a scripted codex (never one
// installed on the machine) and a clock the test moves.
class QuotaStoreTest : public ::testing::Test {
protected:
    Clock clock()
    {
        return [this] { return m_now; };
    }
    CodexRateLimitClient clientFor(const FakeCodex &codex, CodexRateLimitClient::Timing timing = {})
    {
        return CodexRateLimitClient(codex.environment(), timing, clock());
    }
    std::unique_ptr<QuotaStore> makeStore(CodexRateLimitClient client, bool allowsSystemSettings = true)
    {
        return std::make_unique<QuotaStore>(
            std::move(client), m_cache, m_defaults, allowsSystemSettings,
            PlatformServices{&m_workspace, m_loginItem, m_log, m_activation, m_bundle}, clock());
    }
    std::unique_ptr<QuotaStore> makeStore(bool allowsSystemSettings = true)
    {
        return makeStore(clientFor(m_codex), allowsSystemSettings);
    }
    // How many exchanges a codex has seen: each begins with "initialize".
    static long exchanges(const FakeCodex &codex)
    {
        const auto lines = codex.receivedLines();
        return std::count_if(lines.begin(), lines.end(), [](const auto &line) {
            return line.find("\"initialize\"") != std::string::npos;
        });
    }
    // Lets queued work run: an announcement, then the refresh it queues in turn.
    static void processEvents()
    {
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }
    static void await(const QFuture<void> &future)
    {
        ASSERT_TRUE(QTest::qWaitFor([&] { return future.isFinished(); }, 30000));
    }
    // Runs queued work, then waits for the refresh it may have started.
    static void settle(QuotaStore &store)
    {
        processEvents();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !store.isRefreshing(); }, 30000));
    }

    TemporaryDirectory m_home;
    Date m_now = Date::fromReferenceSeconds(800000000.0);
    FakeCodex m_codex{FakeCodex::answering()};
    std::shared_ptr<QuotaCache> m_cache =
        std::make_shared<QuotaCache>(m_home.path() / "data/Pulsegrove/quota-cache.json");
    std::shared_ptr<UserDefaults> m_defaults = std::make_shared<UserDefaults>(
        UserDefaults::standardSuiteName,
        Environment({{"XDG_CONFIG_HOME", (m_home.path() / "config").string()}}));
    FakeWorkspace m_workspace;
    std::shared_ptr<FakeLoginItemService> m_loginItem = std::make_shared<FakeLoginItemService>();
    std::shared_ptr<RecordingSystemLog> m_log = std::make_shared<RecordingSystemLog>();
    std::shared_ptr<FakeApplicationActivation> m_activation = std::make_shared<FakeApplicationActivation>();
    MainBundle m_bundle{"/opt/Pulsegrove.app/bin/pulsegrove"};
};

} // namespace pulsegrove::testing
