#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ikw::speech {

// The text as a synthesizer may read it: valid UTF-8 (a bad sequence becomes U+FFFD) with no
// NUL (it becomes a space), so that counting characters here and in the synthesizer agrees.
std::string speakableText(std::string_view utf8);

// Where each character (Unicode code point) of a valid UTF-8 text starts in UTF-16 units, the
// measure pages use; synthesizers count characters.
class CharacterIndex {
public:
    explicit CharacterIndex(std::string_view utf8);

    std::size_t characterCount() const { return m_utf16.size() - 1; }
    // The UTF-16 offset of a character; past the end: the text's UTF-16 length.
    std::size_t utf16Offset(std::size_t character) const;

private:
    std::vector<std::uint32_t> m_utf16; // one more than the characters: the end
};

// A stretch of the text synthesized in one go: bytes [byteBegin, byteEnd), starting at the
// character `firstCharacter` of the whole text.
struct TextPiece {
    std::size_t byteBegin = 0;
    std::size_t byteEnd = 0;
    std::size_t firstCharacter = 0;
    bool endsSentence = false; // it closes a sentence or a paragraph (or the text), so a pause follows

    bool operator==(const TextPiece&) const = default;
};

// The valid UTF-8 text cut after each sentence (white space after ".", "!" or "?") and each blank
// line, and any stretch longer than `maxCharacters` at its last white space (mid-word only when
// it has none). Pieces of white space alone are left out. Short pieces keep the synthesizer's
// work between two stretches of sound short and its memory small however long the text.
std::vector<TextPiece> speechPieces(std::string_view utf8, std::size_t maxCharacters = 300);

// espeak-ng's language names as language tags: "en-us" is "en-US", "en-gb-x-rp" is "en-GB-x-rp".
std::string languageTag(std::string_view name);

// A rate on the synthesizers' scale (0 to 1, 0.5 the default) in words a minute: 80 to 175 below
// the default, 175 to 450 above.
int wordsPerMinute(double rate);

}
