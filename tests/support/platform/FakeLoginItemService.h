#pragma once

#include "LoginItemService.h"

#include <optional>
#include <stdexcept>
#include <string>

namespace pulsegrove {

// A login item held in memory; tests set its status and make its next calls fail.
class FakeLoginItemService : public LoginItemService {
public:
    explicit FakeLoginItemService(LoginItemStatus status = LoginItemStatus::notRegistered) : m_status(status)
    {
    }

    LoginItemStatus status() const override
    {
        ++statusReads;
        return m_status;
    }
    void registerService() override
    {
        ++registerCalls;
        failIfAsked();
        m_status = LoginItemStatus::enabled;
    }
    void unregisterService() override
    {
        ++unregisterCalls;
        failIfAsked();
        m_status = LoginItemStatus::notRegistered;
    }
    void openSystemSettingsLoginItems() override { ++openSettingsCalls; }

    void setStatus(LoginItemStatus status) { m_status = status; }

    std::optional<std::string> failureMessage;
    mutable int statusReads = 0;
    int registerCalls = 0;
    int unregisterCalls = 0;
    int openSettingsCalls = 0;

private:
    void failIfAsked() const
    {
        if (failureMessage)
            throw std::runtime_error(*failureMessage);
    }

    LoginItemStatus m_status;
};

} // namespace pulsegrove
