#pragma once

#include "ApplicationActivation.h"

#include <vector>

namespace pulsegrove {

// Records the policy changes and activations asked of it.
class FakeApplicationActivation : public ApplicationActivation {
public:
    explicit FakeApplicationActivation(ActivationPolicy policy = ActivationPolicy::regular) : m_policy(policy)
    {
    }

    ActivationPolicy activationPolicy() const override { return m_policy; }
    bool setActivationPolicy(ActivationPolicy policy) override
    {
        policyChanges.push_back(policy);
        m_policy = policy;
        return true;
    }
    void activate(bool ignoringOtherApps) override { activations.push_back(ignoringOtherApps); }

    std::vector<ActivationPolicy> policyChanges;
    std::vector<bool> activations;

private:
    ActivationPolicy m_policy;
};

} // namespace pulsegrove
