#pragma once

#include <algorithm>
#include <string_view>

namespace pulsegrove::ASCIICaseInsensitive {

// The server's status and limit names are ASCII, so folding A-Z is enough; other bytes (UTF-8
// included) compare exactly.
constexpr char lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr bool equals(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return lower(x) == lower(y); });
}

constexpr bool contains(std::string_view text, std::string_view word)
{
    return std::search(text.begin(), text.end(), word.begin(), word.end(),
                       [](char x, char y) { return lower(x) == lower(y); }) != text.end() ||
           word.empty();
}

} // namespace pulsegrove::ASCIICaseInsensitive
