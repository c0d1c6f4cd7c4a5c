#include "platform/speech/SpokenText.h"

#include "platform/speech/Speech.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace ikw::speech {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

struct Decoded {
    char32_t codePoint;
    std::size_t size; // bytes read
};

// One code point at `offset`; a bad sequence reads as U+FFFD of one byte.
Decoded decodeAt(std::string_view text, std::size_t offset)
{
    const auto lead = static_cast<unsigned char>(text[offset]);
    if (lead < 0x80)
        return { lead, 1 };
    std::size_t size = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        size = 2, value = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        size = 3, value = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        size = 4, value = lead & 0x07, minimum = 0x10000;
    } else {
        return { kReplacement, 1 };
    }
    if (offset + size > text.size())
        return { kReplacement, 1 };
    for (std::size_t i = 1; i < size; ++i) {
        const auto next = static_cast<unsigned char>(text[offset + i]);
        if ((next & 0xC0) != 0x80)
            return { kReplacement, 1 };
        value = (value << 6) | (next & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return { kReplacement, 1 };
    return { value, size };
}

void appendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool isSpace(char32_t c)
{
    return c == ' ' || (c >= '\t' && c <= '\r') || c == 0xA0 || c == 0x85 || c == 0x2028 || c == 0x2029 || (c >= 0x2000 && c <= 0x200A) || c == 0x3000;
}

bool endsSentence(char32_t c)
{
    return c == '.' || c == '!' || c == '?';
}

}

std::string speakableText(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t offset = 0; offset < utf8.size();) {
        const auto [c, size] = decodeAt(utf8, offset);
        appendUtf8(out, c == 0 ? U' ' : c);
        offset += size;
    }
    return out;
}

CharacterIndex::CharacterIndex(std::string_view utf8)
{
    m_utf16.reserve(utf8.size() + 1);
    std::uint32_t units = 0;
    for (std::size_t offset = 0; offset < utf8.size();) {
        const auto [c, size] = decodeAt(utf8, offset);
        m_utf16.push_back(units);
        units += c >= 0x10000 ? 2 : 1;
        offset += size;
    }
    m_utf16.push_back(units);
}

std::size_t CharacterIndex::utf16Offset(std::size_t character) const
{
    return m_utf16[std::min(character, characterCount())];
}

std::vector<TextPiece> speechPieces(std::string_view utf8, std::size_t maxCharacters)
{
    std::vector<TextPiece> pieces;
    TextPiece piece;
    std::size_t characters = 0; // in the piece
    bool hasWords = false;
    // Just after the piece's last white space: where a long piece is cut.
    std::size_t breakByte = 0;
    std::size_t breakCharacter = 0;
    std::size_t character = 0;
    char32_t previous = 0;
    const auto cut = [&](std::size_t byteEnd, std::size_t nextCharacter, bool sentence) {
        piece.byteEnd = byteEnd;
        piece.endsSentence = sentence;
        if (hasWords)
            pieces.push_back(piece);
        piece = TextPiece { byteEnd, byteEnd, nextCharacter, false };
        characters = character + 1 - nextCharacter;
        breakByte = 0;
    };
    for (std::size_t offset = 0; offset < utf8.size(); ++character) {
        const auto [c, size] = decodeAt(utf8, offset);
        const std::size_t next = offset + size;
        ++characters;
        if (isSpace(c) && (endsSentence(previous) || (c == '\n' && previous == '\n'))) {
            cut(next, character + 1, true);
            characters = 0;
            hasWords = false;
        } else if (characters > maxCharacters) {
            // Cut before this character, at the last white space when there is one.
            const bool atSpace = breakByte > piece.byteBegin;
            const std::size_t cutByte = atSpace ? breakByte : offset;
            const std::size_t cutCharacter = atSpace ? breakCharacter : character;
            cut(cutByte, cutCharacter, false);
            hasWords = cutCharacter < character; // the word after the last white space
        }
        if (isSpace(c)) {
            breakByte = next;
            breakCharacter = character + 1;
        } else {
            hasWords = true;
        }
        previous = c;
        offset = next;
    }
    if (piece.byteBegin < utf8.size()) {
        piece.byteEnd = utf8.size();
        piece.endsSentence = true;
        if (hasWords)
            pieces.push_back(piece);
    }
    return pieces;
}

std::string languageTag(std::string_view name)
{
    std::string tag;
    bool privateUse = false;
    std::size_t index = 0;
    for (std::size_t begin = 0; begin <= name.size(); ++index) {
        const auto end = std::min(name.find('-', begin), name.size());
        std::string part(name.substr(begin, end - begin));
        std::ranges::transform(part, part.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (part == "x")
            privateUse = true;
        const bool region = index > 0 && !privateUse && part.size() == 2 && std::ranges::all_of(part, [](unsigned char c) { return std::isalpha(c); });
        if (region)
            std::ranges::transform(part, part.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        tag += (index > 0 ? "-" : "") + part;
        begin = end + 1;
    }
    return tag;
}

int wordsPerMinute(double rate)
{
    constexpr double kSlowest = 80;
    constexpr double kNormal = 175;
    constexpr double kFastest = 450;
    if (!std::isfinite(rate))
        rate = kDefaultSpeechRate;
    rate = std::clamp(rate, kMinimumSpeechRate, kMaximumSpeechRate);
    const double share = kDefaultSpeechRate - kMinimumSpeechRate;
    const double words = rate < kDefaultSpeechRate
        ? kSlowest + (rate - kMinimumSpeechRate) / share * (kNormal - kSlowest)
        : kNormal + (rate - kDefaultSpeechRate) / (kMaximumSpeechRate - kDefaultSpeechRate) * (kFastest - kNormal);
    return static_cast<int>(std::lround(words));
}

}
