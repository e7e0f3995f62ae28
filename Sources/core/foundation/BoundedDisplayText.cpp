#include "foundation/BoundedDisplayText.h"

namespace pulsegrove {

namespace {

constexpr char32_t replacementCharacter = 0xFFFD;

struct Decoded {
    char32_t character;
    std::size_t length;
};

// The character at the front of `text` (not empty). An ill-formed sequence gives U+FFFD and uses
// up only its longest well-formed start (at least one byte), so the bytes after it are read
// afresh and one stray byte cannot swallow the character that follows.
Decoded decodeFront(std::string_view text)
{
    const auto byteAt = [text](std::size_t index) { return static_cast<unsigned char>(text[index]); };
    const unsigned char lead = byteAt(0);
    if (lead < 0x80)
        return {lead, 1};
    std::size_t length = 0;
    char32_t character = 0;
    // The second byte's range also excludes overlong forms, surrogates and values past U+10FFFF.
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        character = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        character = lead & 0x0Fu;
        low = lead == 0xE0 ? 0xA0 : low;
        high = lead == 0xED ? 0x9F : high;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        character = lead & 0x07u;
        low = lead == 0xF0 ? 0x90 : low;
        high = lead == 0xF4 ? 0x8F : high;
    } else {
        return {replacementCharacter, 1};
    }
    for (std::size_t index = 1; index < length; ++index) {
        if (index >= text.size() || byteAt(index) < low || byteAt(index) > high)
            return {replacementCharacter, index};
        character = (character << 6) | (byteAt(index) & 0x3Fu);
        low = 0x80;
        high = 0xBF;
    }
    return {character, length};
}

enum class Treatment { keep, space, drop };

Treatment treatmentOf(char32_t character)
{
    // Line breaks and tabs would break the one line the text is shown on, but they still part words.
    if (character == '\t' || character == '\n' || character == '\v' || character == '\f' ||
        character == '\r' || character == 0x85 || character == 0x2028 || character == 0x2029)
        return Treatment::space;
    if (character < 0x20 || (character >= 0x7F && character <= 0x9F))
        return Treatment::drop;
    // Marks, embeddings, overrides and isolates: each could make the text, or what the window shows
    // after it, read in another order than it was written.
    if (character == 0x061C || character == 0x200E || character == 0x200F ||
        (character >= 0x202A && character <= 0x202E) || (character >= 0x2066 && character <= 0x2069))
        return Treatment::drop;
    return Treatment::keep;
}

void appendUTF8(std::string &text, char32_t character)
{
    if (character < 0x80) {
        text += static_cast<char>(character);
    } else if (character < 0x800) {
        text += static_cast<char>(0xC0 | (character >> 6));
        text += static_cast<char>(0x80 | (character & 0x3F));
    } else if (character < 0x10000) {
        text += static_cast<char>(0xE0 | (character >> 12));
        text += static_cast<char>(0x80 | ((character >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (character & 0x3F));
    } else {
        text += static_cast<char>(0xF0 | (character >> 18));
        text += static_cast<char>(0x80 | ((character >> 12) & 0x3F));
        text += static_cast<char>(0x80 | ((character >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (character & 0x3F));
    }
}

} // namespace

std::string BoundedDisplayText::make(std::string_view text, std::size_t limit)
{
    std::string shown;
    std::size_t count = 0;
    // The walk ends at the first character past the limit, so a huge text costs no more than
    // the part of it that is shown (and whatever is dropped before that).
    while (!text.empty()) {
        const auto [character, length] = decodeFront(text);
        text.remove_prefix(length);
        const auto treatment = treatmentOf(character);
        if (treatment == Treatment::drop)
            continue;
        if (count == limit)
            return shown += ellipsis;
        appendUTF8(shown, treatment == Treatment::space ? U' ' : character);
        ++count;
    }
    return shown;
}

} // namespace pulsegrove
