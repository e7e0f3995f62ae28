#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pulsegrove {

// A freedesktop desktop-entry file (the format of autostart entries), read by our own small
// parser: generic INI readers treat ';', '\' and '%' in values in ways these files do not.
class DesktopEntry {
public:
    static constexpr const char *mainGroup = "Desktop Entry";

    // Never fails: lines that are neither comments, group headers nor "key=value" are skipped.
    static DesktopEntry parse(std::string_view text);

    // The value with the string escapes (\s \n \t \r \\) resolved. A key given twice keeps its
    // last value; localised keys ("Name[de]") are separate keys.
    std::optional<std::string> value(const std::string &group, const std::string &key) const;
    // "true"/"false" (and "1"/"0"); anything else reads as absent.
    std::optional<bool> boolValue(const std::string &group, const std::string &key) const;

    // The string escapes applied to a value before it is written.
    static std::string escapeValue(std::string_view value);
    // Whether a value can be written at all: the format's strings are UTF-8 and hold no control
    // character other than the three that escapeValue() escapes (tab, line feed, return).
    static bool canHoldValue(std::string_view value);
    // One argument of an Exec line: quoted when it holds a reserved character, with '"', '`',
    // '$' and '\' escaped inside the quotes and '%' doubled. Apply escapeValue() afterwards.
    static std::string quoteExecArgument(std::string_view argument);
    // Splits an (already unescaped) Exec value into arguments; unbalanced quotes give none.
    static std::optional<std::vector<std::string>> splitExec(std::string_view exec);

private:
    std::map<std::string, std::map<std::string, std::string>> m_groups;
};

} // namespace pulsegrove
