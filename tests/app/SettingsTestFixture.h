#pragma once

#include "FakeRemoteUpdateOperations.h"
#include "QuotaStoreTestFixture.h"
#include "ScopedEnvironmentVariable.h"
#include "update/RemoteUpdateStore.h"

namespace pulsegrove::testing {

// A quota store whose preferences are the process's standard suite (so the selected theme that
// every view paints with is the one the store writes), and an update store on scripted
// operations.
class SettingsTest : public QuotaStoreTest {
protected:
    ScopedEnvironmentVariable m_config{"XDG_CONFIG_HOME", (m_home.path() / "config").string()};
    std::unique_ptr<QuotaStore> m_store = makeStore();
    FakeRemoteUpdateOperations m_updates;
    RemoteUpdateStore m_updateStore{m_updates.operations()};

    // Puts the update store in `state` through a check that ends there.
    void finishCheckWith(const RemoteUpdateState &state, std::optional<RemoteUpdateCandidate> candidate = {})
    {
        m_updateStore.check();
        m_updates.checks.back().finish({state, std::move(candidate)});
        QCoreApplication::processEvents();
    }
};

} // namespace pulsegrove::testing
