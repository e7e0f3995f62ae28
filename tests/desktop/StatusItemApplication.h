#pragma once

#include "FakeApplicationActivation.h"
#include "FakeCodex.h"
#include "FakeLoginItemService.h"
#include "RecordingSystemLog.h"
#include "ScopedEnvironmentVariable.h"
#include "TemporaryDirectory.h"
#include "statusitem/StatusBarController.h"
#include "stores/QuotaStore.h"
#include "stores/SystemMetricsStore.h"

#include <memory>

namespace pulsegrove::testing {

// The application's status item as the application makes it, on whatever tray the desktop has:
// a quota store fed by a scripted codex on a private home, the metrics store, and the controller
// with the platform's own tray host. Destroyed in the reverse order.
struct StatusItemApplication {
    StatusItemApplication()
    {
        store =
            std::make_unique<QuotaStore>(CodexRateLimitClient(codex.environment()), nullptr, defaults, false,
                                         PlatformServices{nullptr, std::make_shared<FakeLoginItemService>(),
                                                          log, std::make_shared<FakeApplicationActivation>(),
                                                          MainBundle("/nowhere/bin/pulsegrove")});
        metricsStore = std::make_unique<SystemMetricsStore>();
        auto services = StatusBarController::productionServices();
        services.defaults = defaults;
        services.log = log;
        controller = std::make_unique<StatusBarController>(
            *store, *metricsStore, [] {}, services);
    }
    ~StatusItemApplication()
    {
        controller.reset();
        metricsStore.reset();
        store.reset();
    }

    bool noSurfaceVisible() const
    {
        return store->visibleSurfaces().isEmpty() && metricsStore->visibleConsumers().isEmpty();
    }

    TemporaryDirectory home;
    ScopedEnvironmentVariable config{"XDG_CONFIG_HOME", (home.path() / "config").string()};
    FakeCodex codex{FakeCodex::answering()};
    std::shared_ptr<UserDefaults> defaults =
        std::make_shared<UserDefaults>(UserDefaults::standardSuiteName,
                                       Environment({{"XDG_CONFIG_HOME", (home.path() / "config").string()}}));
    std::shared_ptr<RecordingSystemLog> log = std::make_shared<RecordingSystemLog>();
    std::unique_ptr<QuotaStore> store;
    std::unique_ptr<SystemMetricsStore> metricsStore;
    std::unique_ptr<StatusBarController> controller;
};

} // namespace pulsegrove::testing
