#pragma once

#include <string>
#include <string_view>

namespace pulsegrove {

// The account plan derived from the plan-type text Codex reports, as the panel's plan badge shows
// it. The paid Pro tiers get their own cases; every other plan is `other` with a short label.
class CodexPlanTier {
public:
    enum class Kind { other, plus, proFiveX, proTwentyX };

    // Trims white space and line breaks at both ends, lower-cases, then matches the known texts
    // exactly; an unknown or empty text gives `other` labelled "CODEX".
    explicit CodexPlanTier(std::string_view rawPlanType);

    static CodexPlanTier plus() { return CodexPlanTier(Kind::plus, {}); }
    static CodexPlanTier proFiveX() { return CodexPlanTier(Kind::proFiveX, {}); }
    static CodexPlanTier proTwentyX() { return CodexPlanTier(Kind::proTwentyX, {}); }
    static CodexPlanTier other(std::string label) { return CodexPlanTier(Kind::other, std::move(label)); }

    Kind kind() const { return m_kind; }
    // The label of `other`; empty for the named tiers.
    const std::string &label() const { return m_label; }
    // "PLUS", "PRO 5×", "PRO 20×" or the label of `other`.
    std::string displayName() const;

    // Two `other` tiers are equal when their labels are; the named tiers carry no label.
    friend bool operator==(const CodexPlanTier &, const CodexPlanTier &) = default;

private:
    CodexPlanTier(Kind kind, std::string label) : m_kind(kind), m_label(std::move(label)) {}

    Kind m_kind = Kind::other;
    std::string m_label;
};

} // namespace pulsegrove
