#pragma once

#include <QString>
#include <optional>

namespace pulsegrove {

// Texts, symbols and measures of the three placeholders the panel shows instead of cards.
struct PanelStateModel {
    static constexpr int messagePadding = 24;
    static constexpr int messageSpacing = 11;
    static constexpr int loadingRowPadding = 18;
    static constexpr int loadingRowSpacing = 14;
    static constexpr int loadingRowContentSpacing = 12;
    static constexpr int loadingTextSpacing = 6;
    static constexpr int loadingRowCount = 2;

    static QString modulesHiddenSymbol() { return QStringLiteral("rectangle.3.group"); }
    static QString modulesHiddenTitle() { return QStringLiteral("所有内容模块都已隐藏"); }
    static QString modulesHiddenDetail()
    {
        return QStringLiteral("托盘额度百分比仍会保留，可以随时在设置中重新开启模块。");
    }
    static QString openSettingsTitle() { return QStringLiteral("打开模块设置"); }
    static QString openSettingsSymbol() { return QStringLiteral("slider.horizontal.3"); }

    static QString loadingTitle() { return QStringLiteral("正在读取 Codex 额度"); }
    static QString loadingDetail() { return QStringLiteral("首次连接通常只需几秒"); }

    static QString emptySymbol() { return QStringLiteral("bolt.slash.circle"); }
    static QString emptyTitle() { return QStringLiteral("暂时无法读取额度"); }
    static QString emptyFallbackMessage()
    {
        return QStringLiteral("请确认 Codex 已安装并完成登录，然后点击下方刷新。");
    }
    // The store's error message verbatim when there is one, even an empty one; the fixed hint
    // only when there is none.
    static QString emptyMessage(const std::optional<QString> &message)
    {
        return message ? *message : emptyFallbackMessage();
    }
};

} // namespace pulsegrove
