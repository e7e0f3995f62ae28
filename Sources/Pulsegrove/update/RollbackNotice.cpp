#include "update/RollbackNotice.h"

#include "foundation/BoundedJSONParser.h"

namespace pulsegrove {

namespace {

bool isVersionCharacter(char character, bool first)
{
    const bool alphanumeric = (character >= '0' && character <= '9') ||
                              (character >= 'a' && character <= 'z') ||
                              (character >= 'A' && character <= 'Z');
    return alphanumeric || (!first && (character == '.' || character == '+' || character == '-'));
}

} // namespace

std::optional<RollbackNotice> RollbackNotice::parse(std::string_view bytes)
{
    // A NUL ends the text for the parser; what follows it would go unread.
    if (bytes.size() > maximumSize || bytes.find('\0') != std::string_view::npos)
        return std::nullopt;
    const auto parsed = BoundedJSONParser::parse(bytes);
    if (!parsed.isParsed())
        return std::nullopt;
    const auto &document = parsed.value;
    if (!document.is_object() || document.size() != 1 || !document.contains("version"))
        return std::nullopt;
    const auto &version = document.at("version");
    if (!version.is_string())
        return std::nullopt;
    const auto &text = version.get_ref<const std::string &>();
    if (text.empty() || text.size() > static_cast<std::size_t>(maximumVersionLength))
        return std::nullopt;
    for (std::size_t index = 0; index < text.size(); ++index) {
        if (!isVersionCharacter(text[index], index == 0))
            return std::nullopt;
    }
    return RollbackNotice{QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()))};
}

QString RollbackNotice::alertText() const
{
    return QStringLiteral("版本 %1 未能正常启动，Pulse Grove 已恢复上一版本。").arg(version);
}

} // namespace pulsegrove
