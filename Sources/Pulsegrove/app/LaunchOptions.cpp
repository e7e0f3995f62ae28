#include "app/LaunchOptions.h"

#include "app/AppDelegate.h"
#include "update/UpdateInstaller.h"

#include <algorithm>
#include <array>

namespace pulsegrove {

namespace {

// The toolkit's documented options that take the next argument as their value, and those that
// take none; the toolkit also accepts each with a second leading dash.
constexpr std::array toolkitOptionsWithValue = {"-platform", "-platformpluginpath", "-platformtheme", "-plugin",
                                                "-qwindowgeometry", "-qwindowicon", "-qwindowtitle", "-session",
                                                "-display", "-geometry", "-style", "-stylesheet"};
constexpr std::array toolkitFlags = {"-reverse", "-widgetcount", "-nograb", "-dograb", "-sync"};
constexpr std::array toolkitInlineOptions = {"-style=", "-stylesheet=", "-qmljsdebugger="};

template <std::size_t count>
bool isAmong(QStringView argument, const std::array<const char *, count> &options)
{
    for (const char *option : options) {
        if (argument == QLatin1String(option))
            return true;
    }
    return false;
}

// How many arguments a toolkit option at `argument` takes up: 0 when it is not one.
int toolkitOptionLength(QStringView argument)
{
    const QStringView single = argument.startsWith(u"--") ? argument.sliced(1) : argument;
    if (isAmong(single, toolkitOptionsWithValue))
        return 2;
    if (isAmong(single, toolkitFlags))
        return 1;
    for (const char *prefix : toolkitInlineOptions) {
        if (single.startsWith(QLatin1String(prefix)))
            return 1;
    }
    return 0;
}

} // namespace

LaunchOptions LaunchOptions::parse(const QStringList &arguments)
{
    LaunchOptions options;
    const auto &previewOptions = AppDelegate::previewOptions;
    std::array<bool, AppDelegate::previewOptions.size()> previewGiven = {};
    for (qsizetype index = 1; index < arguments.size(); ++index) {
        const QString &argument = arguments.at(index);
        if (argument == u"--help" || argument == u"-h") {
            LaunchOptions help;
            help.m_action = Action::showHelp;
            return help;
        }
        const auto preview = std::find_if(previewOptions.begin(), previewOptions.end(),
                                          [&](const char *option) { return argument == QLatin1String(option); });
        const int toolkitLength = toolkitOptionLength(argument);
        if (preview != previewOptions.end()) {
            previewGiven[preview - previewOptions.begin()] = true;
        } else if (argument == QLatin1String(UpdateInstaller::healthMarkerOption) && index + 1 < arguments.size()) {
            ++index;
        } else if (toolkitLength > 0 && index + toolkitLength <= arguments.size()) {
            index += toolkitLength - 1;
        } else if (options.m_action == Action::start) {
            options.m_action = Action::refuse;
            options.m_unknownArgument = argument;
        }
    }
    for (std::size_t index = 0; index < previewGiven.size() && options.m_preview.isEmpty(); ++index) {
        if (previewGiven[index])
            options.m_preview = QLatin1String(previewOptions[index]);
    }
    return options;
}

QString LaunchOptions::helpText()
{
    return QString::fromUtf8(
        "用法：pulsegrove [选项]\n"
        "在系统托盘中显示 Codex 的剩余额度。已有一份在运行时，再次启动只让它打开窗口或所选预览。\n"
        "\n"
        "选项：\n"
        "  --preview                  打开信息面板预览\n"
        "  --preview-settings         只打开设置预览，不启动托盘图标与刷新\n"
        "  --preview-system-menu      打开系统菜单预览\n"
        "  --preview-status-item      打开托盘预览\n"
        "  --preview-usage-dashboard  打开本地用量统计\n"
        "  -h, --help                 显示本帮助后退出\n"
        "\n"
        "另接受 Qt 的标准选项，如 -platform、-style。\n");
}

QString LaunchOptions::refusalText() const
{
    return QString::fromUtf8("pulsegrove: 无法识别的参数“%1”\n运行 pulsegrove --help 查看可用的选项。\n")
        .arg(m_unknownArgument);
}

} // namespace pulsegrove
