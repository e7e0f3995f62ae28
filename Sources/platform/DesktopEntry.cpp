#include "DesktopEntry.h"

#include <QStringDecoder>

namespace pulsegrove {

namespace {

constexpr std::string_view whitespace = " \t";
constexpr std::string_view execReservedCharacters = " \t\n\"'\\><~|&;$*?#()`";

std::string_view trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(whitespace);
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(whitespace);
    return text.substr(first, last - first + 1);
}

std::string unescapeValue(std::string_view raw)
{
    std::string result;
    result.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != '\\' || i + 1 == raw.size()) {
            result += raw[i];
            continue;
        }
        switch (raw[++i]) {
        case 's':
            result += ' ';
            break;
        case 'n':
            result += '\n';
            break;
        case 't':
            result += '\t';
            break;
        case 'r':
            result += '\r';
            break;
        case '\\':
            result += '\\';
            break;
        default: // Not a string escape: keep it for later stages (Exec quoting uses \" etc.).
            result += '\\';
            result += raw[i];
        }
    }
    return result;
}

// Inside double quotes only these four may follow a backslash.
bool isQuotedEscape(char c)
{
    return c == '"' || c == '`' || c == '$' || c == '\\';
}

} // namespace

DesktopEntry DesktopEntry::parse(std::string_view text)
{
    DesktopEntry entry;
    std::map<std::string, std::string> *group = nullptr;
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        line = trimmed(line);
        if (line.empty() || line.front() == '#')
            continue;
        if (line.front() == '[' && line.back() == ']') {
            group = &entry.m_groups[std::string(line.substr(1, line.size() - 2))];
            continue;
        }
        const auto equals = line.find('=');
        // Key-value pairs before the first group header belong to no group and are ignored.
        if (!group || equals == std::string_view::npos || equals == 0)
            continue;
        const auto key = trimmed(line.substr(0, equals));
        (*group)[std::string(key)] = unescapeValue(trimmed(line.substr(equals + 1)));
    }
    return entry;
}

std::optional<std::string> DesktopEntry::value(const std::string &group, const std::string &key) const
{
    const auto groupIt = m_groups.find(group);
    if (groupIt == m_groups.end())
        return std::nullopt;
    const auto keyIt = groupIt->second.find(key);
    if (keyIt == groupIt->second.end())
        return std::nullopt;
    return keyIt->second;
}

std::optional<bool> DesktopEntry::boolValue(const std::string &group, const std::string &key) const
{
    const auto text = value(group, key);
    if (text == "true" || text == "1")
        return true;
    if (text == "false" || text == "0")
        return false;
    return std::nullopt;
}

std::string DesktopEntry::escapeValue(std::string_view value)
{
    std::string result;
    for (std::size_t i = 0; i < value.size(); ++i) {
        switch (value[i]) {
        case '\\':
            result += "\\\\";
            break;
        case '\n':
            result += "\\n";
            break;
        case '\t':
            result += "\\t";
            break;
        case '\r':
            result += "\\r";
            break;
        // Leading spaces would be trimmed away by a reader.
        case ' ':
            result += i == 0 ? "\\s" : " ";
            break;
        default:
            result += value[i];
        }
    }
    return result;
}

bool DesktopEntry::canHoldValue(std::string_view value)
{
    for (const char c : value) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && c != '\t' && c != '\n' && c != '\r') || byte == 0x7F)
            return false;
    }
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    [[maybe_unused]] const QString decoded =
        decoder.decode(QByteArrayView(value.data(), qsizetype(value.size())));
    return !decoder.hasError();
}

std::string DesktopEntry::quoteExecArgument(std::string_view argument)
{
    const bool needsQuotes =
        argument.empty() || argument.find_first_of(execReservedCharacters) != std::string_view::npos;
    std::string result = needsQuotes ? "\"" : "";
    for (const char c : argument) {
        if (needsQuotes && isQuotedEscape(c))
            result += '\\';
        result += c;
        if (c == '%')
            result += '%';
    }
    if (needsQuotes)
        result += '"';
    return result;
}

std::optional<std::vector<std::string>> DesktopEntry::splitExec(std::string_view exec)
{
    std::vector<std::string> arguments;
    std::string current;
    bool inArgument = false;
    bool quoted = false;
    for (std::size_t i = 0; i < exec.size(); ++i) {
        const char c = exec[i];
        if (quoted) {
            if (c == '\\' && i + 1 < exec.size() && isQuotedEscape(exec[i + 1]))
                current += exec[++i];
            else if (c == '%' && i + 1 < exec.size() && exec[i + 1] == '%')
                current += exec[++i];
            else if (c == '"')
                quoted = false;
            else
                current += c;
        } else if (c == ' ' || c == '\t' || c == '\n') {
            if (inArgument)
                arguments.push_back(std::move(current));
            current.clear();
            inArgument = false;
            continue;
        } else if (c == '"') {
            quoted = true;
        } else if (c == '%' && i + 1 < exec.size() && exec[i + 1] == '%') {
            current += exec[++i];
        } else {
            current += c;
        }
        inArgument = true;
    }
    if (quoted)
        return std::nullopt;
    if (inArgument)
        arguments.push_back(std::move(current));
    return arguments;
}

} // namespace pulsegrove
