#include "insights/QuotaResetHint.h"

#include "formatting/QuotaResetFormatter.h"

#include <array>
#include <string_view>

namespace pulsegrove {

namespace {

constexpr std::string_view imminentSuffix = " · 1 小时内重置";

struct LabelledWindow {
    std::string_view label;
    std::optional<RateLimitWindow> window;
};

struct EarliestReset {
    std::string_view label;
    RateLimitWindow window;
    Date resetAt;
};

// The windows in the order the surfaces list them; on equal reset times the first one names it.
std::array<LabelledWindow, 4> windowsOf(const QuotaSnapshot &snapshot)
{
    const auto &spark = snapshot.spark();
    return {{
        {"5 小时额度", snapshot.fiveHour()},
        {"每周额度", snapshot.weekly()},
        {"Spark 5 小时额度", spark ? spark->fiveHourWindow() : std::nullopt},
        {"Spark 每周额度", spark ? spark->weeklyWindow() : std::nullopt},
    }};
}

std::optional<EarliestReset> earliestReset(const std::optional<QuotaSnapshot> &snapshot)
{
    if (!snapshot)
        return std::nullopt;
    std::optional<EarliestReset> earliest;
    for (const auto &[label, window] : windowsOf(*snapshot)) {
        const auto resetAt = window ? window->resetDate() : std::nullopt;
        if (resetAt && (!earliest || *resetAt < earliest->resetAt))
            earliest = EarliestReset{label, *window, *resetAt};
    }
    return earliest;
}

} // namespace

QuotaResetHint QuotaResetHint::next(const std::optional<QuotaSnapshot> &snapshot, bool isStale, Date now)
{
    const auto earliest = earliestReset(snapshot);
    if (!earliest)
        return {"等待账户重置时间", "Codex 暂未返回任何额度窗口的重置时间", false};

    const std::string label(earliest->label);
    const std::string countdown = QuotaResetFormatter::countdown(earliest->window, now);
    const double secondsLeft = earliest->resetAt.timeIntervalSince(now);
    if (!(secondsLeft > 0))
        return {"重置时间已到，等待确认", label + " · " + countdown, false};

    QuotaResetHint hint;
    hint.isImminent = secondsLeft <= imminentWithinSeconds;
    if (isStale) {
        hint.title = "重置计划待确认";
        hint.detail = "缓存数据 · " + label + " · " + countdown;
    } else {
        hint.title = "下次重置：" + label;
        hint.detail = label + " · " + countdown;
    }
    if (hint.isImminent)
        hint.title += imminentSuffix;
    return hint;
}

} // namespace pulsegrove
